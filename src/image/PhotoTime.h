#pragma once
// When a photo was taken, for sorting by time taken: the DateTime tag (306) of its
// metadata as local time, or the current time when there is none.
#include <cstddef>
#include <cstdint>

#include "platform/Text.h"

// "YYYY:MM:DD HH:MM:SS" (hyphens accepted between the date fields) as a local time in
// seconds since 1970. False for other layouts and for fields outside year >= 1900,
// month 1-12, day 1-31, hour 0-23, minute and second 0-59.
bool ParsePhotoTime(const char* text, std::size_t length, std::int64_t& time);

// The DateTime tag of the first directory of a JPEG file's Exif block, given the file's
// first bytes (the block lies within the first 64 KiB after the start marker).
bool JpegExifPhotoTime(const std::uint8_t* data, std::size_t size, std::int64_t& time);

#if defined(_WIN32)
// Reads the tag through GDI+; a JPEG whose Exif block GDI+ does not expose (Wine's
// does not) is read by us.
std::int64_t PhotoTime(const TString& path);
#endif
