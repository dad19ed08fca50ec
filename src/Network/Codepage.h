#pragma once
// Conversions between UTF-16, UTF-8 and the system ANSI code page. On Windows the system
// does them; the native (Linux) build stands in with iconv and GBK, the code page of the
// systems the product targets, so the portable tests see the same bytes.
#include <string>

namespace Network::Codepage {

std::string AnsiFromWide(const std::wstring& text);
std::wstring WideFromAnsi(const std::string& bytes);
std::string Utf8FromWide(const std::wstring& text);
std::wstring WideFromUtf8(const std::string& bytes);

}  // namespace Network::Codepage
