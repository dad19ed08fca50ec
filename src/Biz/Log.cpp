#include "Biz/Log.h"

#include <exception>
#include <string>

#include "Biz/LogPath.h"
#include "Biz/LogWriter.h"
#include "platform/TextConv.h"

namespace Logging {

namespace {

std::wstring WidePath(const TChar* path)
{
#if defined(SF_WIDE)
    return path;
#else
    return Korvel::Text::WideFromAnsi(path);
#endif
}

// Logging is a diagnostic aid: nothing it does may disturb the caller.
template <typename F>
void Guarded(F&& f) noexcept
{
    try {
        f();
    } catch (...) {
    }
}

}  // namespace

void Line(const char* source, int line, const TChar* text)
{
    Guarded([&] { LogWriter::Write(Level::Info, source, line, text, nullptr); });
}

void LineNumber(const char* source, int line, const TChar* text, unsigned long value)
{
    Guarded([&] {
#if defined(SF_WIDE)
        const TString number = std::to_wstring(value);
#else
        const TString number = std::to_string(value);
#endif
        LogWriter::Write(Level::Info, source, line, text, &number);
    });
}

void LineText(const char* source, int line, const TChar* text, const TChar* value)
{
    Guarded([&] {
        const TString second = TextOrEmpty(value);
        LogWriter::Write(Level::Info, source, line, text, &second);
    });
}

void SetDebug(bool on)
{
    Guarded([&] { LogWriter::Switch(on); });
}

void SetLogFile(const TChar* path, bool debug)
{
    Guarded([&] {
        if (!path || !*path) return;
        const std::wstring file = LogPath::Resolve(WidePath(path));
        if (file.empty()) return;
        if (LogWriter::Attach(file, debug))
            LogWriter::Write(Level::Warn, __FILE__, __LINE__, SF_T("日志创建成功"), nullptr);
    });
}

}  // namespace Logging
