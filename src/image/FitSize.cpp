#include "image/FitSize.h"

#include <initializer_list>

FitResult FitSize(std::uint32_t w, std::uint32_t h, std::uint32_t boxW, std::uint32_t boxH)
{
    if ((w < boxW && h < boxH) || (w == boxW && h == boxH)) return {w, h};
    std::uint32_t m = w, big = w;
    for (std::uint32_t v : {h, boxW, boxH}) {
        if (v < m) m = v;
        if (v > big) big = v;
    }
    if (big == 0) return {w, h};
    const float s = static_cast<float>(m) / static_cast<float>(big);
    auto tw = static_cast<std::uint32_t>(static_cast<double>(w) * s);
    auto th = static_cast<std::uint32_t>(static_cast<double>(h) * s);
    // A thin banner would otherwise end as a picture without pixels, and be sent empty.
    if (tw == 0) tw = 1;
    if (th == 0) th = 1;
    return {tw, th};
}
