#pragma once
// Where a LogFile assignment may write. A page chooses only the file name; the file always
// lives in the visitor's own log folder, so no page can create or truncate files elsewhere.
#include <string>

namespace LogPath {

// The file-name part of an assigned path, or empty when it is not a usable file name
// (empty, "." or "..", reserved device names, characters Windows forbids in names).
std::wstring SafeFileName(const std::wstring& assigned);

// %LOCALAPPDATA%\Snapferry\Logs, created on demand; empty when it cannot be made.
std::wstring LogFolder();

// Folder plus safe name, or empty when the name is refused or the folder is unavailable.
std::wstring Resolve(const std::wstring& assigned);

}  // namespace LogPath
