#pragma once
// The snapferry tool's commands; each takes the arguments after its name and returns the
// process exit code.
#include <string>
#include <vector>

int RunPostCommand(const std::vector<std::wstring>& args);
int RunDownloadCommand(const std::vector<std::wstring>& args);
int RunGalleryCommand(const std::vector<std::wstring>& args);
int RunPanelCommand(const std::vector<std::wstring>& args);
int RunPageCommand(const std::vector<std::wstring>& args);
