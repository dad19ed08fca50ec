#pragma once
// A growable byte buffer that always keeps one zero byte past its size, so text read into
// it can be used as a C string.
#include <cstddef>
#include <cstring>
#include <memory>

namespace Korvel::System {

class Memory {
public:
    Memory() = default;
    explicit Memory(int size) { Allocate(size); }
    virtual ~Memory() = default;
    Memory(const Memory&) = delete;
    Memory& operator=(const Memory&) = delete;

    void Allocate(int size)
    {
        const std::size_t n = size > 0 ? static_cast<std::size_t>(size) : 0;
        data_ = std::make_unique<unsigned char[]>(n + 1);  // value-initialised: all zero
        size_ = static_cast<int>(n);
    }
    unsigned char* Data() { return data_.get(); }
    const unsigned char* Data() const { return data_.get(); }
    unsigned char* At(int offset) { return data_.get() + offset; }
    int Size() const { return size_; }
    void Clear()
    {
        if (data_) std::memset(data_.get(), 0, static_cast<std::size_t>(size_));
    }

private:
    int size_ = 0;
    std::unique_ptr<unsigned char[]> data_;
};

}  // namespace Korvel::System
