#include "Network/WireText.h"

#include "Network/Codepage.h"

namespace Network {

TString FromAscii(const std::string& bytes) { return TString(bytes.begin(), bytes.end()); }

#if defined(SF_WIDE)
std::string AnsiBytes(const TString& text) { return Codepage::AnsiFromWide(text); }
std::string Utf8Bytes(const TString& text) { return Codepage::Utf8FromWide(text); }
TString TextFromUtf8(const std::string& bytes) { return Codepage::WideFromUtf8(bytes); }
TString TextFromAnsi(const std::string& bytes) { return Codepage::WideFromAnsi(bytes); }
#else
std::string AnsiBytes(const TString& text) { return text; }
std::string Utf8Bytes(const TString& text) { return Codepage::Utf8FromWide(Codepage::WideFromAnsi(text)); }
TString TextFromUtf8(const std::string& bytes) { return Codepage::AnsiFromWide(Codepage::WideFromUtf8(bytes)); }
TString TextFromAnsi(const std::string& bytes) { return bytes; }
#endif

}  // namespace Network
