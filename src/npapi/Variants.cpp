#include "npapi/Variants.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "npapi/Browser.h"

namespace Variants {

namespace {

constexpr double kMin = std::numeric_limits<std::int32_t>::min();
constexpr double kMax = std::numeric_limits<std::int32_t>::max();

std::int32_t LeadingInteger(const NPString& text)
{
    const char* p = text.UTF8Characters;
    const char* end = p ? p + text.UTF8Length : p;
    bool negative = false;
    if (p != end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    std::int64_t n = 0;
    for (; p != end && *p >= '0' && *p <= '9'; ++p) {
        n = n * 10 + (*p - '0');
        if (n > std::int64_t(kMax) + 1) break;
    }
    if (negative) n = -n;
    if (n < kMin) return std::numeric_limits<std::int32_t>::min();
    if (n > kMax) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(n);
}

}  // namespace

std::int32_t ToInteger(const NPVariant& value)
{
    switch (value.type) {
    case NPVariantType_Int32:
        return value.value.intValue;
    case NPVariantType_Double: {
        const double d = value.value.doubleValue;
        if (std::isnan(d)) return 0;
        return static_cast<std::int32_t>(std::trunc(std::fmin(std::fmax(d, kMin), kMax)));
    }
    case NPVariantType_String:
        return LeadingInteger(value.value.stringValue);
    default:
        return 0;
    }
}

std::optional<std::int32_t> WholeNumber(const NPVariant& value)
{
    if (value.type == NPVariantType_Int32) return value.value.intValue;
    if (value.type != NPVariantType_Double) return std::nullopt;
    const double d = value.value.doubleValue;
    if (!(d >= kMin && d <= kMax) || std::trunc(d) != d) return std::nullopt;
    return static_cast<std::int32_t>(d);
}

std::string Bytes(const NPString& text)
{
    return text.UTF8Characters ? std::string(text.UTF8Characters, text.UTF8Length) : std::string();
}

bool SetString(NPVariant& v, const std::string& text)
{
    SetVoid(v);
    const auto size = static_cast<std::uint32_t>(text.size());
    auto* chars = static_cast<char*>(NPN_MemAlloc(size + 1));
    if (!chars) return false;
    std::memset(chars, 0, size + 1);
    std::memcpy(chars, text.data(), size);
    v.type = NPVariantType_String;
    v.value.stringValue = NPString{chars, size};
    return true;
}

NPVariant Borrowed(const std::string& text)
{
    NPVariant v;
    v.type = NPVariantType_String;
    v.value.stringValue = NPString{text.data(), static_cast<std::uint32_t>(text.size())};
    return v;
}

}  // namespace Variants
