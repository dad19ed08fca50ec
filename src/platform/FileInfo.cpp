#include "FileInfo.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <cwchar>

#include "CFile.h"
#include "Handle.h"

namespace Korvel::IO {

namespace {

void ShowOpenError(int error, const std::wstring& path)
{
    wchar_t text[1024];
    std::swprintf(text, 1024, L"打开文件错误，错误码：%d，文件路径：%ls", error, path.c_str());
    ::MessageBoxW(nullptr, text, L"000", MB_OK);
}

OpenErrorReporter g_reporter = &ShowOpenError;

FileHandle OpenForReading(const std::wstring& path)
{
    return FileHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

// UTF file time -> local calendar time, the way the product has always shown file times.
bool ToLocalTm(const FILETIME& utc, std::tm& out)
{
    FILETIME local;
    SYSTEMTIME st;
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &st)) return false;
    out = std::tm{};
    out.tm_year = st.wYear - 1900;
    out.tm_mon = st.wMonth - 1;
    out.tm_mday = st.wDay;
    out.tm_hour = st.wHour;
    out.tm_min = st.wMinute;
    out.tm_sec = st.wSecond;
    out.tm_isdst = -1;
    return true;
}

TimeValue ToTimeValue(const FILETIME& utc, TimeValue fallback)
{
    std::tm tm;
    if (!ToLocalTm(utc, tm)) return fallback;
    const __time64_t t = _mktime64(&tm);
    return t == -1 ? fallback : static_cast<TimeValue>(t);
}

std::wstring FormatTm(const std::tm& tm, const wchar_t* pattern)
{
    wchar_t buffer[128];
    const std::size_t n = std::wcsftime(buffer, 128, pattern, &tm);
    // Some C libraries report a full buffer instead of 0 when the text does not fit.
    return n < 128 ? std::wstring(buffer, n) : std::wstring();
}

}  // namespace

OpenErrorReporter SetOpenErrorReporter(OpenErrorReporter reporter)
{
    OpenErrorReporter old = g_reporter;
    g_reporter = reporter ? reporter : &ShowOpenError;
    return old;
}

FileInfo::FileInfo(const std::wstring& path) : path_(path)
{
    const TimeValue now = _time64(nullptr);
    creation_ = access_ = write_ = now;
    FileHandle file = OpenForReading(path);
    if (!file) return;
    FILETIME created, accessed, written;
    if (!::GetFileTime(file.Get(), &created, &accessed, &written)) return;
    creation_ = ToTimeValue(created, now);
    access_ = ToTimeValue(accessed, now);
    write_ = ToTimeValue(written, now);
}

unsigned long FileInfo::Size()
{
    CFile f = OpenCFile(path_.c_str(), L"rb");
    if (!f) {
        g_reporter(errno, path_);
        return size_;
    }
    size_ = StreamSize(f.get());
    return size_;
}

std::wstring FormatTime(TimeValue time, const wchar_t* pattern)
{
    if (!pattern) return std::wstring();
    const __time64_t t = time;
    std::tm tm;
    if (_localtime64_s(&tm, &t) != 0) return std::wstring();
    return FormatTm(tm, pattern);
}

std::wstring LastWriteTimeText(const std::wstring& path)
{
    FileHandle file = OpenForReading(path);
    FILETIME created, accessed, written;
    std::tm tm;
    if (!file || !::GetFileTime(file.Get(), &created, &accessed, &written) || !ToLocalTm(written, tm))
        return L"00:00:00";
    return FormatTm(tm, L"%Y-%m-%d %H:%M:%S");
}

}  // namespace Korvel::IO
