#include "Biz/LogPath.h"

#include <windows.h>
#include <shlobj.h>

#include <cwctype>

namespace LogPath {

namespace {

bool IsReservedDeviceName(const std::wstring& name)
{
    // Windows maps these to devices whatever the extension or trailing blanks.
    std::wstring stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    for (wchar_t& c : stem) c = static_cast<wchar_t>(std::towupper(c));
    static const wchar_t* const fixed[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* d : fixed)
        if (stem == d) return true;
    return stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) &&
           stem[3] >= L'1' && stem[3] <= L'9';
}

bool HasForbiddenCharacter(const std::wstring& name)
{
    for (wchar_t c : name)
        if (c < 0x20 || std::wcschr(L"<>:\"|?*", c)) return true;
    return false;
}

bool EnsureFolder(const std::wstring& folder)
{
    return ::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

std::wstring SafeFileName(const std::wstring& assigned)
{
    const std::size_t slash = assigned.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? assigned : assigned.substr(slash + 1);
    // Windows drops trailing dots and blanks, so "..", ". ." and the like name no file.
    const std::size_t last = name.find_last_not_of(L". ");
    if (last == std::wstring::npos) return std::wstring();
    if (HasForbiddenCharacter(name) || IsReservedDeviceName(name)) return std::wstring();
    return name;
}

std::wstring LogFolder()
{
    wchar_t base[MAX_PATH];
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                  base)))
        return std::wstring();
    std::wstring folder = std::wstring(base) + L"\\Snapferry";
    if (!EnsureFolder(folder)) return std::wstring();
    folder += L"\\Logs";
    return EnsureFolder(folder) ? folder : std::wstring();
}

std::wstring Resolve(const std::wstring& assigned)
{
    const std::wstring name = SafeFileName(assigned);
    if (name.empty()) return std::wstring();
    const std::wstring folder = LogFolder();
    return folder.empty() ? std::wstring() : folder + L"\\" + name;
}

}  // namespace LogPath
