#include "Biz/Loger.h"

#include <filesystem>

#include "Biz/LogWriter.h"

void Log::Open(const std::wstring& path)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (out_.is_open()) out_.close();
    out_.clear();
    // Binary: every line ends in a bare line feed.
    out_.open(std::filesystem::path(path), std::ios::out | std::ios::trunc | std::ios::binary);
}

void Log::Write(const std::string& text, const std::string* value)
{
    if (!on_) return;
    std::string line = text;
    if (value) {
        line += ':';
        line += *value;
    }
    line += '\n';
    std::lock_guard<std::mutex> hold(lock_);
    if (!out_.is_open()) return;
    out_.write(line.data(), static_cast<std::streamsize>(line.size()));
    out_.flush();
}

Loger& Loger::Instance()
{
    static Loger* loger = new Loger;  // lives until the module is unloaded
    return *loger;
}

void Loger::SetPath(const std::wstring& path)
{
    path_ = path;
    log_.Open(path);
}

namespace LogWriter {

void Switch(bool on) { Loger::Instance().Writer().SetOn(on); }

bool Attach(const std::wstring& path, bool)
{
    Loger::Instance().SetPath(path);
    return false;
}

void Write(Logging::Level, const char*, int, const TChar* text, const TString* value)
{
    Loger::Instance().Writer().Write(text ? text : "", value);
}

}  // namespace LogWriter
