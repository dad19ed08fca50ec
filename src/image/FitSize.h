#pragma once
// The box rule shared by upload preparation and thumbnail drawing.
#include <cstdint>

struct FitResult {
    std::uint32_t width, height;
};

// Not "fit inside": a picture larger than the box ends with its long side equal to the box's
// short side (scale = smallest of the four sizes over the largest, in single precision,
// sides truncated). Smaller in both directions, or exactly the box: natural size. Never
// smaller than 1 x 1.
FitResult FitSize(std::uint32_t width, std::uint32_t height, std::uint32_t boxWidth, std::uint32_t boxHeight);
