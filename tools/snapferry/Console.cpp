#include "snapferry/Console.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/TextConv.h"

namespace Tool {

namespace {

void Write(std::FILE* stream, const std::wstring& line)
{
    // Lines end in a bare line feed: the readers are Linux terminals and scripts.
    static const bool binary = [] {
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(_fileno(stderr), _O_BINARY);
        return true;
    }();
    (void)binary;
    const std::string bytes = Korvel::Text::Utf8FromWide(line + L"\n");
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

}  // namespace

void Print(const std::wstring& line) { Write(stdout, line); }
void Error(const std::wstring& line) { Write(stderr, line); }

#if defined(SF_WIDE)
TString ToText(const std::wstring& text) { return text; }
std::wstring FromText(const TString& text) { return text; }
#else
TString ToText(const std::wstring& text) { return Korvel::Text::AnsiFromWide(text); }
std::wstring FromText(const TString& text) { return Korvel::Text::WideFromAnsi(text); }
#endif

std::wstring FullPath(const std::wstring& path)
{
    wchar_t full[MAX_PATH] = {};
    const DWORD n = ::GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return n > 0 && n < MAX_PATH ? std::wstring(full) : path;
}

bool TakeValue(const std::vector<std::wstring>& args, std::size_t& i, std::wstring& into)
{
    if (i + 1 >= args.size()) return false;
    into = args[++i];
    return true;
}

bool ParseNumber(const std::wstring& text, int low, int high, int& value)
{
    if (text.empty() || text.size() > 9) return false;
    int v = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        v = v * 10 + (c - L'0');
    }
    if (v < low || v > high) return false;
    value = v;
    return true;
}

int UsageError(const std::wstring& message)
{
    Error(L"snapferry: " + message);
    Error(L"Try 'snapferry help'.");
    return kUsage;
}

}  // namespace Tool
