#pragma once
// Small copies of pictures for the screen. A queued photo keeps its source and one of these
// instead of the full picture, which is decoded again only while it is needed.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "image/CxImage.h"

struct Thumbnail {
    std::unique_ptr<CxImage> image;   // no larger than the box it was made for
    std::uint32_t width = 0;          // of the full picture
    std::uint32_t height = 0;
};

// From encoded bytes (format 0: recognised by content). A JPEG is decoded at the smallest
// reduced scale that still covers the box. False when the bytes are no picture.
bool MakeThumbnail(const std::uint8_t* data, std::size_t size, std::uint32_t format, std::uint32_t boxWidth,
                   std::uint32_t boxHeight, Thumbnail& out);
// From a decoded picture: a copy when it fits the box, else its area average into the box.
bool MakeThumbnail(const CxImage& full, std::uint32_t boxWidth, std::uint32_t boxHeight, Thumbnail& out);
