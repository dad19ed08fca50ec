#pragma once
// The byte forms of the product's text that travel over HTTP. The ActiveX control holds
// UTF-16 and sends the system ANSI code page; the plug-in's text is already ANSI bytes.
#include <string>

#include "platform/Text.h"

namespace Network {

// The text as it goes on the wire (system ANSI code page).
std::string AnsiBytes(const TString& text);
// The text as UTF-8 bytes.
std::string Utf8Bytes(const TString& text);
// Text made from ASCII bytes (encoded values are pure ASCII).
TString FromAscii(const std::string& bytes);

// A response body in UTF-8 or in the ANSI code page, as the product's text.
TString TextFromUtf8(const std::string& bytes);
TString TextFromAnsi(const std::string& bytes);

}  // namespace Network
