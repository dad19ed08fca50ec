#pragma once
// The NPAPI plug-in's log writer: plain lines, no time stamp, texts written as they are
// (ANSI code page bytes).
#include <atomic>
#include <fstream>
#include <mutex>
#include <string>

class Log {
public:
    virtual ~Log() = default;

    void Open(const std::wstring& path);
    void SetOn(bool on) { on_ = on; }
    bool IsOn() const { return on_; }
    // Writes text, then ":" and value when there is one, then a line feed.
    void Write(const std::string& text, const std::string* value);

private:
    std::mutex lock_;
    std::ofstream out_;
    std::atomic<bool> on_{false};
};

class Loger {
public:
    static Loger& Instance();
    virtual ~Loger() = default;

    Log& Writer() { return log_; }
    void SetPath(const std::wstring& path);
    const std::wstring& Path() const { return path_; }

private:
    Loger() = default;
    Log log_;
    std::wstring path_;
};
