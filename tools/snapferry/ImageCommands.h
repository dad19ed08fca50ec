#pragma once
// The image commands of the snapferry tool: preparing one photo as the panel would post
// it, and reading a photo's time taken. Each takes the arguments after its name and
// returns the process exit code (0 done, 1 failed, 2 bad usage).
#include <string>
#include <vector>

// prepare [--type T] [--width W --height H] [--quality Q] [--watermark] FILE OUT
int RunPrepareCommand(const std::vector<std::wstring>& args);
// phototime FILE
int RunPhotoTimeCommand(const std::vector<std::wstring>& args);
