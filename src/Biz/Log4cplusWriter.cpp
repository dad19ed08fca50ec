// The ActiveX control's log writer: the log4cplus logger "Snapferry(x86)" with one file
// appender per attached file.
#include <cstdio>
#include <cwctype>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include <log4cplus/appender.h>
#include <log4cplus/helpers/loglog.h>
#include <log4cplus/initializer.h>
#include <log4cplus/layout.h>
#include <log4cplus/logger.h>
#include <log4cplus/spi/loggingevent.h>

#include "Biz/LogWriter.h"
#include "platform/CFile.h"
#include "platform/TextConv.h"

namespace LogWriter {

namespace {

const wchar_t kPattern[] = L"%d{%m/%d/%y %H:%M:%S}    - %m [%l]%n";

// A truncating, immediately flushed file appender that writes the texts in the ANSI code
// page (GBK on the target systems) and opens its file by its wide name.
class AnsiFileAppender final : public log4cplus::Appender {
public:
    explicit AnsiFileAppender(const std::wstring& path) : file_(Korvel::IO::OpenCFile(path.c_str(), L"wb")) {}
    ~AnsiFileAppender() override { destructorImpl(); }
    void close() override
    {
        file_.reset();
        closed = true;
    }

protected:
    void append(const log4cplus::spi::InternalLoggingEvent& event) override
    {
        if (!file_) return;
        const std::string bytes = Korvel::Text::AnsiFromWide(formatEvent(event));
        std::fwrite(bytes.data(), 1, bytes.size(), file_.get());
        std::fflush(file_.get());
    }

private:
    Korvel::IO::CFile file_;
};

// Upper-cased path -> its appender, so a second assignment of one file replaces (and
// truncates) it instead of writing every line twice.
using AppenderMap = std::map<std::wstring, log4cplus::SharedAppenderPtr>;

struct State {
    std::mutex lock;
    AppenderMap appenders;
};

State& Shared()
{
    static State* state = [] {
        log4cplus::initialize();
        log4cplus::helpers::LogLog::getLogLog()->setQuietMode(true);
        return new State;  // lives until the module is unloaded
    }();
    return *state;
}

log4cplus::Logger TheLogger() { return log4cplus::Logger::getInstance(L"Snapferry(x86)"); }

std::string BackslashPath(const char* source)
{
    std::string path = source ? source : "";
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::wstring FoldCase(std::wstring path)
{
    for (wchar_t& c : path) c = static_cast<wchar_t>(std::towupper(c));
    return path;
}

}  // namespace

void Switch(bool) {}

bool Attach(const std::wstring& path, bool debug)
{
    if (!debug) return false;
    State& state = Shared();
    std::lock_guard<std::mutex> hold(state.lock);
    log4cplus::Logger logger = TheLogger();
    log4cplus::SharedAppenderPtr& slot = state.appenders[FoldCase(path)];
    if (slot) {
        // Close the old stream first so the new one starts from an empty file.
        logger.removeAppender(slot);
        slot->close();
    }
    slot = new AnsiFileAppender(path);
    slot->setName(path);
    slot->setLayout(std::unique_ptr<log4cplus::Layout>(new log4cplus::PatternLayout(kPattern)));
    logger.addAppender(slot);
    return true;
}

void Write(Logging::Level level, const char* source, int line, const TChar* text, const TString* value)
{
    State& state = Shared();
    {
        std::lock_guard<std::mutex> hold(state.lock);
        if (state.appenders.empty()) return;  // nothing attached: dropped silently
    }
    std::wstring message = text ? text : L"";
    if (value) message += *value;
    const std::string file = BackslashPath(source);
    TheLogger().log(level == Logging::Level::Warn ? log4cplus::WARN_LOG_LEVEL : log4cplus::INFO_LOG_LEVEL,
                    message, file.c_str(), line);
}

}  // namespace LogWriter
