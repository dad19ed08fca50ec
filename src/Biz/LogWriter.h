#pragma once
// What each deliverable's log writer provides to the logging calls. The wide flavour writes
// through log4cplus, the narrow one through Loger.
#include <string>

#include "Biz/Log.h"

namespace LogWriter {

// Debug assigned.
void Switch(bool on);
// LogFile assigned, already resolved to a file in the log folder. Returns whether the
// writer wants the set-up line written.
bool Attach(const std::wstring& path, bool debug);
// One event; value is null for a plain line.
void Write(Logging::Level level, const char* source, int line, const TChar* text, const TString* value);

}  // namespace LogWriter
