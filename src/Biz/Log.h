#pragma once
// The process-wide diagnostic log. Off until the page sets Debug and names a LogFile; the
// calls never fail towards the caller. Each call carries its source location, which the
// build makes relative to src/ (for example "Network/WinINetPoster.cpp").
#include "platform/Text.h"

namespace Logging {

enum class Level { Info, Warn };

// The three kinds of call.
void Line(const char* source, int line, const TChar* text);
void LineNumber(const char* source, int line, const TChar* text, unsigned long value);
void LineText(const char* source, int line, const TChar* text, const TChar* value);

// Property assignments from the script surface.
void SetDebug(bool on);
void SetLogFile(const TChar* path, bool debug);

}  // namespace Logging

#define SF_LOG(text) ::Logging::Line(__FILE__, __LINE__, text)
#define SF_LOG_NUMBER(text, value) ::Logging::LineNumber(__FILE__, __LINE__, text, value)
#define SF_LOG_TEXT(text, value) ::Logging::LineText(__FILE__, __LINE__, text, value)
