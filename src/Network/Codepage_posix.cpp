#include "Network/Codepage.h"

#include <iconv.h>

#include <cerrno>

namespace Network::Codepage {

namespace {

// Converts with iconv; characters the target cannot hold become '?', as the system's
// conversion does with its default character.
std::string Convert(const char* to, const char* from, const char* data, std::size_t size, const char* fallback,
                    std::size_t fallbackSize, std::size_t unit)
{
    std::string out;
    if (size == 0) return out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    char* in = const_cast<char*>(data);
    std::size_t left = size;
    char buffer[256];
    while (left > 0) {
        char* dst = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t r = iconv(cd, &in, &left, &dst, &room);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out.append(fallback, fallbackSize);
            const std::size_t skip = left < unit ? left : unit;
            in += skip;
            left -= skip;
        }
    }
    iconv_close(cd);
    return out;
}

std::wstring ToWide(const char* from, const std::string& bytes)
{
    const wchar_t replacement = L'?';
    const std::string raw = Convert("WCHAR_T", from, bytes.data(), bytes.size(),
                                    reinterpret_cast<const char*>(&replacement), sizeof replacement, 1);
    return std::wstring(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / sizeof(wchar_t));
}

std::string FromWide(const char* to, const std::wstring& text)
{
    return Convert(to, "WCHAR_T", reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t), "?", 1,
                   sizeof(wchar_t));
}

}  // namespace

std::string AnsiFromWide(const std::wstring& text) { return FromWide("GBK", text); }
std::wstring WideFromAnsi(const std::string& bytes) { return ToWide("GBK", bytes); }
std::string Utf8FromWide(const std::wstring& text) { return FromWide("UTF-8", text); }
std::wstring WideFromUtf8(const std::string& bytes) { return ToWide("UTF-8", bytes); }

}  // namespace Network::Codepage
