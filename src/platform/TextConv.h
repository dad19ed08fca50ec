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

// Either flavour's text as UTF-16, and back: ANSI for narrow text, unchanged for wide.
inline std::wstring WideFromText(const std::wstring& text) { return text; }
inline std::wstring WideFromText(const std::string& text) { return WideFromAnsi(text); }
template <class Char>
std::basic_string<Char> TextFromWide(const std::wstring& text);
template <>
inline std::wstring TextFromWide<wchar_t>(const std::wstring& text) { return text; }
template <>
inline std::string TextFromWide<char>(const std::wstring& text) { return AnsiFromWide(text); }

}  // namespace Korvel::Text
