#include "image/CxFile.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Streams are limited to what a 32-bit size can describe.
constexpr std::size_t kMaxStream = INT32_MAX;

#if !defined(_WIN32)
std::string Utf8(const wchar_t* text)
{
    std::string out;
    for (; *text; ++text) {
        const auto c = static_cast<std::uint32_t>(*text);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}
#endif

}  // namespace

CxIOFile::~CxIOFile() { Close(); }

bool CxIOFile::Open(const char* path, const char* mode)
{
    Close();
    fp_ = std::fopen(path, mode);
    owned_ = fp_ != nullptr;
    return owned_;
}

bool CxIOFile::Open(const wchar_t* path, const wchar_t* mode)
{
    Close();
#if defined(_WIN32)
    fp_ = _wfopen(path, mode);
#else
    fp_ = std::fopen(Utf8(path).c_str(), Utf8(mode).c_str());
#endif
    owned_ = fp_ != nullptr;
    return owned_;
}

bool CxIOFile::Close()
{
    bool ok = true;
    if (fp_ && owned_) ok = std::fclose(fp_) == 0;
    if (owned_) fp_ = nullptr;
    owned_ = false;
    return ok;
}

std::size_t CxIOFile::Read(void* buffer, std::size_t size, std::size_t count)
{
    return fp_ ? std::fread(buffer, size, count, fp_) : 0;
}

std::size_t CxIOFile::Write(const void* buffer, std::size_t size, std::size_t count)
{
    return fp_ ? std::fwrite(buffer, size, count, fp_) : 0;
}

bool CxIOFile::Seek(std::int32_t offset, int origin) { return fp_ && std::fseek(fp_, offset, origin) == 0; }

std::int32_t CxIOFile::Tell() { return fp_ ? static_cast<std::int32_t>(std::ftell(fp_)) : -1; }

std::int32_t CxIOFile::Size()
{
    if (!fp_) return -1;
    const long pos = std::ftell(fp_);
    std::fseek(fp_, 0, SEEK_END);
    const long end = std::ftell(fp_);
    std::fseek(fp_, pos, SEEK_SET);
    return static_cast<std::int32_t>(end);
}

bool CxIOFile::Flush() { return fp_ && std::fflush(fp_) == 0; }
bool CxIOFile::Eof() { return !fp_ || std::feof(fp_) != 0; }
std::int32_t CxIOFile::Error() { return fp_ ? std::ferror(fp_) : -1; }
std::int32_t CxIOFile::GetC() { return fp_ ? std::getc(fp_) : EOF; }
char* CxIOFile::GetS(char* buffer, int n) { return fp_ ? std::fgets(buffer, n, fp_) : nullptr; }

CxMemFile::CxMemFile(const void* data, std::size_t size)
{
    Write(data, 1, size);
    pos_ = 0;
}

CxMemFile::~CxMemFile() { std::free(data_); }

bool CxMemFile::Close()
{
    std::free(data_);
    data_ = nullptr;
    size_ = capacity_ = pos_ = 0;
    failed_ = false;
    return true;
}

bool CxMemFile::Reserve(std::size_t capacity)
{
    if (capacity <= capacity_) return true;
    if (capacity > kMaxStream) return false;
    // Grow geometrically: encoders write in small pieces.
    std::size_t grown = capacity_ < 4096 ? 4096 : capacity_ + capacity_ / 2;
    if (grown < capacity) grown = capacity;
    if (grown > kMaxStream) grown = kMaxStream;
    void* bigger = std::realloc(data_, grown);
    if (!bigger) return false;
    data_ = static_cast<std::uint8_t*>(bigger);
    capacity_ = grown;
    return true;
}

std::size_t CxMemFile::Read(void* buffer, std::size_t size, std::size_t count)
{
    if (size == 0 || count == 0 || pos_ >= size_) return 0;
    const std::size_t available = size_ - pos_;
    std::size_t items = count;
    if (items > available / size) items = available / size;
    if (items == 0) {
        pos_ = size_;  // a partial item is consumed, as a C stream would do
        return 0;
    }
    std::memcpy(buffer, data_ + pos_, items * size);
    pos_ += items * size;
    return items;
}

std::size_t CxMemFile::Write(const void* buffer, std::size_t size, std::size_t count)
{
    if (size == 0 || count == 0) return 0;
    if (count > kMaxStream / size) {
        failed_ = true;
        return 0;
    }
    const std::size_t bytes = size * count;
    if (pos_ + bytes > kMaxStream || !Reserve(pos_ + bytes)) {
        failed_ = true;
        return 0;
    }
    // A seek past the end leaves a gap; it reads back as zeros.
    if (pos_ > size_) std::memset(data_ + size_, 0, pos_ - size_);
    std::memcpy(data_ + pos_, buffer, bytes);
    pos_ += bytes;
    if (pos_ > size_) size_ = pos_;
    return count;
}

bool CxMemFile::Seek(std::int32_t offset, int origin)
{
    std::int64_t base = 0;
    if (origin == SEEK_CUR) base = static_cast<std::int64_t>(pos_);
    else if (origin == SEEK_END) base = static_cast<std::int64_t>(size_);
    else if (origin != SEEK_SET) return false;
    const std::int64_t target = base + offset;
    if (target < 0 || target > static_cast<std::int64_t>(kMaxStream)) return false;
    pos_ = static_cast<std::size_t>(target);
    return true;
}

std::int32_t CxMemFile::GetC()
{
    if (pos_ >= size_) return EOF;
    return data_[pos_++];
}

char* CxMemFile::GetS(char* buffer, int n)
{
    if (n <= 0 || pos_ >= size_) return nullptr;
    int i = 0;
    while (i < n - 1 && pos_ < size_) {
        const char c = static_cast<char>(data_[pos_++]);
        buffer[i++] = c;
        if (c == '\n') break;
    }
    buffer[i] = '\0';
    return buffer;
}
