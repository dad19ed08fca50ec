#pragma once
// Whole-file reading for the upload of files that are sent as they are.
#include <memory>
#include <string>

#include "CFile.h"

namespace Korvel::IO {

class File {
public:
    File();
    virtual ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool Open(const std::wstring& path);
    void Reserve(unsigned long capacity);
    bool Read();
    const unsigned char* Data() const { return buffer_.get(); }
    unsigned long BytesRead() const { return bytesRead_; }
    unsigned long Size() const { return fileSize_; }
    void Close();

private:
    std::unique_ptr<unsigned char[]> buffer_;
    unsigned long bytesRead_ = 0;
    unsigned long capacity_;
    unsigned long fileSize_ = 0;
    CFile file_;
    std::wstring path_;
};

}  // namespace Korvel::IO
