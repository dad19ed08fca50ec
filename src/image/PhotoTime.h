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

#if defined(_WIN32)
// Reads the tag through GDI+.
std::int64_t PhotoTime(const TString& path);
#endif
