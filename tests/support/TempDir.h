#pragma once
// A fresh folder under the Windows temp folder, removed with its files at scope exit.
#include <windows.h>

#include <filesystem>
#include <string>

namespace test {

class TempDir {
public:
    TempDir()
    {
        wchar_t base[MAX_PATH];
        ::GetTempPathW(MAX_PATH, base);
        static int counter = 0;
        path_ = std::filesystem::path(base) /
                (L"sf-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
        std::filesystem::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::wstring File(const std::wstring& name) const { return (path_ / name).wstring(); }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Writes bytes to a file, replacing it.
bool WriteFile(const std::wstring& path, const std::string& bytes);
// Reads a whole file; empty when it cannot be read.
std::string ReadFile(const std::wstring& path);

}  // namespace test

namespace test {
// Empties a folder of the files earlier runs left behind (log files stay open, and so
// undeletable, until their process ends).
void RemoveFilesIn(const std::wstring& folder);
}  // namespace test
