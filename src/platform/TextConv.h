#pragma once
// Conversions between UTF-16, the system ANSI code page and UTF-8.
#include <string>

namespace Korvel::Text {

std::wstring WideFromCodePage(const std::string& text, unsigned codePage);
std::string CodePageFromWide(const std::wstring& text, unsigned codePage);

std::wstring WideFromAnsi(const std::string& text);
std::string AnsiFromWide(const std::wstring& text);
std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);

}  // namespace Korvel::Text
