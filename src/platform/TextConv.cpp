#include "TextConv.h"

#include <windows.h>

namespace Korvel::Text {

std::wstring WideFromCodePage(const std::string& text, unsigned codePage)
{
    if (text.empty()) return std::wstring();
    const int n = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string CodePageFromWide(const std::wstring& text, unsigned codePage)
{
    if (text.empty()) return std::string();
    const int n = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                              nullptr);
    return out;
}

std::wstring WideFromAnsi(const std::string& text) { return WideFromCodePage(text, CP_ACP); }
std::string AnsiFromWide(const std::wstring& text) { return CodePageFromWide(text, CP_ACP); }
std::wstring WideFromUtf8(const std::string& text) { return WideFromCodePage(text, CP_UTF8); }
std::string Utf8FromWide(const std::wstring& text) { return CodePageFromWide(text, CP_UTF8); }

}  // namespace Korvel::Text
