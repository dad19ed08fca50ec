#pragma once
// Console output and argument handling for the snapferry tool. Output is UTF-8 whatever the
// flavour, since the tool is mostly read from Linux terminals.
#include <string>
#include <vector>

#include "platform/Text.h"

namespace Tool {

void Print(const std::wstring& line);
void Error(const std::wstring& line);

// Between the command line's wide text and the flavour's text.
TString ToText(const std::wstring& text);
std::wstring FromText(const TString& text);

// Exit codes.
constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// The value after option args[i], moving i on to it; false when there is none.
bool TakeValue(const std::vector<std::wstring>& args, std::size_t& i, std::wstring& into);
// A decimal number from low to high; false for anything else.
bool ParseNumber(const std::wstring& text, int low, int high, int& value);
// A path made absolute against the current folder (unchanged when that fails).
std::wstring FullPath(const std::wstring& path);
// Reports a usage error and returns kUsage.
int UsageError(const std::wstring& message);

}  // namespace Tool
