#pragma once
// File size and times, and the time texts sent with every upload.
#include <cstdint>
#include <string>

namespace Korvel::IO {

using TimeValue = std::int64_t;  // seconds since 1970

class FileInfo {
public:
    explicit FileInfo(const std::wstring& path);
    virtual ~FileInfo() = default;

    // Opens the file to measure it; a file that cannot be opened is reported to the user
    // (see SetOpenErrorReporter) and measures 0.
    unsigned long Size();
    TimeValue CreationTime() const { return creation_; }
    TimeValue AccessTime() const { return access_; }
    TimeValue WriteTime() const { return write_; }

private:
    std::wstring path_;
    unsigned long size_ = 0;
    TimeValue creation_;
    TimeValue access_;
    TimeValue write_;
};

// Shows "打开文件错误，..." for a file that FileInfo::Size cannot open. The default shows a
// native message box; tests and tools replace it.
using OpenErrorReporter = void (*)(int error, const std::wstring& path);
OpenErrorReporter SetOpenErrorReporter(OpenErrorReporter reporter);

// The local time of a time value in the C library's wcsftime pattern; empty for a null
// pattern or a failure. At most 127 characters.
std::wstring FormatTime(TimeValue time, const wchar_t* pattern);

// The "lastWriteTime" upload field: local last-write time as "%Y-%m-%d %H:%M:%S", or
// "00:00:00" when the file or its times cannot be read.
std::wstring LastWriteTimeText(const std::wstring& path);

}  // namespace Korvel::IO
