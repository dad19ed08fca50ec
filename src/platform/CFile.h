#pragma once
// C library file streams closed on scope exit.
#include <cstdio>
#include <memory>

namespace Korvel::IO {

struct CFileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using CFile = std::unique_ptr<std::FILE, CFileCloser>;

#if defined(_WIN32)
inline CFile OpenCFile(const wchar_t* path, const wchar_t* mode) { return CFile(_wfopen(path, mode)); }
#endif

// Size of an open stream, measured by seeking to its end; the position is left at the start.
inline unsigned long StreamSize(std::FILE* f)
{
    std::fseek(f, 0, SEEK_END);
    const long end = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    return end > 0 ? static_cast<unsigned long>(end) : 0;
}

}  // namespace Korvel::IO
