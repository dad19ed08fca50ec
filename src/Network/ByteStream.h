#pragma once
// The byte streams the transport reads uploads from and writes downloads to. The calls and
// their meaning follow the image library's streams, so its memory and file streams can be
// handed over through a thin adapter.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace Network {

class ByteStream {
public:
    virtual ~ByteStream() = default;
    // Items of size bytes; returns the number of whole items transferred.
    virtual std::size_t Read(void* buffer, std::size_t size, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t size, std::size_t count) = 0;
    // origin as in fseek: SEEK_SET, SEEK_CUR, SEEK_END.
    virtual bool Seek(std::int32_t offset, int origin) = 0;
    virtual std::int32_t Size() = 0;
};

// A stream over bytes in memory; writes append at the position.
class MemoryByteStream : public ByteStream {
public:
    MemoryByteStream() = default;
    explicit MemoryByteStream(std::string bytes) : bytes_(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t size, std::size_t count) override
    {
        if (size == 0 || pos_ >= bytes_.size()) return 0;
        const std::size_t items = std::min(count, (bytes_.size() - pos_) / size);
        std::memcpy(buffer, bytes_.data() + pos_, items * size);
        pos_ += items * size;
        return items;
    }
    std::size_t Write(const void* buffer, std::size_t size, std::size_t count) override
    {
        const std::size_t n = size * count;
        if (pos_ + n > bytes_.size()) bytes_.resize(pos_ + n);
        std::memcpy(bytes_.data() + pos_, buffer, n);
        pos_ += n;
        return count;
    }
    bool Seek(std::int32_t offset, int origin) override
    {
        const long long base = origin == 1 ? static_cast<long long>(pos_) : origin == 2 ? static_cast<long long>(bytes_.size()) : 0;
        const long long to = base + offset;
        if (to < 0) return false;
        pos_ = static_cast<std::size_t>(to);
        return true;
    }
    std::int32_t Size() override { return static_cast<std::int32_t>(bytes_.size()); }

    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
    std::size_t pos_ = 0;
};

}  // namespace Network
