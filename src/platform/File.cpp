#include "File.h"

#include <cstring>

namespace Korvel::IO {

namespace {
constexpr unsigned long kInitialCapacity = 1048576;
}

File::File() : buffer_(std::make_unique<unsigned char[]>(kInitialCapacity)), capacity_(kInitialCapacity) {}

File::~File() = default;

bool File::Open(const std::wstring& path)
{
    fileSize_ = 0;
    path_ = path;
    file_ = OpenCFile(path.c_str(), L"rb");
    if (!file_) return false;
    fileSize_ = StreamSize(file_.get());
    return true;
}

void File::Reserve(unsigned long capacity)
{
    capacity_ = capacity;
    buffer_ = std::make_unique<unsigned char[]>(capacity);
}

bool File::Read()
{
    bytesRead_ = 0;
    if (!file_ || capacity_ == 0) return false;
    std::fseek(file_.get(), 0, SEEK_SET);
    bytesRead_ = static_cast<unsigned long>(std::fread(buffer_.get(), 1, capacity_, file_.get()));
    return bytesRead_ > 0;
}

void File::Close()
{
    file_.reset();
    if (buffer_) std::memset(buffer_.get(), 0, capacity_);
    fileSize_ = 0;
}

}  // namespace Korvel::IO
