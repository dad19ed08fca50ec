#include "Network/Codepage.h"

#include "platform/TextConv.h"

namespace Network::Codepage {

std::string AnsiFromWide(const std::wstring& text) { return Korvel::Text::AnsiFromWide(text); }
std::wstring WideFromAnsi(const std::string& bytes) { return Korvel::Text::WideFromAnsi(bytes); }
std::string Utf8FromWide(const std::wstring& text) { return Korvel::Text::Utf8FromWide(text); }
std::wstring WideFromUtf8(const std::string& bytes) { return Korvel::Text::WideFromUtf8(bytes); }

}  // namespace Network::Codepage
