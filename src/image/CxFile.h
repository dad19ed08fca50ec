#pragma once
// Byte streams the image class reads from and writes to: a C file, or a growable buffer in
// memory that owns its bytes. Sizes and positions are 32-bit, as everywhere in the product.
#include <cstddef>
#include <cstdint>
#include <cstdio>

class CxFile {
public:
    virtual ~CxFile() = default;

    virtual bool Close() = 0;
    virtual std::size_t Read(void* buffer, std::size_t size, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t size, std::size_t count) = 0;
    virtual bool Seek(std::int32_t offset, int origin) = 0;
    virtual std::int32_t Tell() = 0;
    virtual std::int32_t Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual std::int32_t Error() = 0;
    virtual bool PutC(unsigned char c) { return Write(&c, 1, 1) == 1; }
    virtual std::int32_t GetC() = 0;
    // Reads up to n - 1 characters, stopping after a line feed; null at the end.
    virtual char* GetS(char* buffer, int n) = 0;
};

class CxIOFile : public CxFile {
public:
    // Borrows an open stream; the caller closes it.
    explicit CxIOFile(std::FILE* fp = nullptr) : fp_(fp) {}
    ~CxIOFile() override;
    CxIOFile(const CxIOFile&) = delete;
    CxIOFile& operator=(const CxIOFile&) = delete;

    // Opens a file that this object then owns and closes.
    bool Open(const char* path, const char* mode);
    bool Open(const wchar_t* path, const wchar_t* mode);
    std::FILE* GetFile() const { return fp_; }

    bool Close() override;
    std::size_t Read(void* buffer, std::size_t size, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t size, std::size_t count) override;
    bool Seek(std::int32_t offset, int origin) override;
    std::int32_t Tell() override;
    std::int32_t Size() override;
    bool Flush() override;
    bool Eof() override;
    std::int32_t Error() override;
    std::int32_t GetC() override;
    char* GetS(char* buffer, int n) override;

private:
    std::FILE* fp_;
    bool owned_ = false;
};

class CxMemFile : public CxFile {
public:
    CxMemFile() = default;
    // A stream holding a copy of the given bytes, positioned at the start.
    CxMemFile(const void* data, std::size_t size);
    ~CxMemFile() override;
    CxMemFile(const CxMemFile&) = delete;
    CxMemFile& operator=(const CxMemFile&) = delete;

    // Empties the stream and gives its memory back.
    bool Open() { return Close(); }
    const std::uint8_t* GetBuffer() const { return data_; }

    bool Close() override;
    std::size_t Read(void* buffer, std::size_t size, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t size, std::size_t count) override;
    bool Seek(std::int32_t offset, int origin) override;
    std::int32_t Tell() override { return static_cast<std::int32_t>(pos_); }
    std::int32_t Size() override { return static_cast<std::int32_t>(size_); }
    bool Flush() override { return true; }
    bool Eof() override { return pos_ >= size_; }
    std::int32_t Error() override { return failed_ ? 1 : 0; }
    std::int32_t GetC() override;
    char* GetS(char* buffer, int n) override;

private:
    bool Reserve(std::size_t capacity);

    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    std::size_t pos_ = 0;
    bool failed_ = false;
};
