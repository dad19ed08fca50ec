#pragma once
// Script values in and out of the plug-in.
#include <cstdint>
#include <optional>
#include <string>

#include "npapi/NpApi.h"

namespace Variants {

// The integer a property write means: Int32 as is, Double truncated toward zero (held to the
// int32 range), a string's leading decimal integer (0 if none), anything else 0.
std::int32_t ToInteger(const NPVariant& value);

// An integer argument: Int32, or a Double without a fraction inside the int32 range (script
// engines may hand whole numbers either way); nothing for any other value.
std::optional<std::int32_t> WholeNumber(const NPVariant& value);

// The bytes of a string value, unchanged (UTF-8 from the page).
std::string Bytes(const NPString& text);

inline void SetVoid(NPVariant& v) { v.type = NPVariantType_Void; v.value.objectValue = nullptr; }
inline void SetNull(NPVariant& v) { v.type = NPVariantType_Null; v.value.objectValue = nullptr; }
inline void SetObject(NPVariant& v, NPObject* object) { v.type = NPVariantType_Object; v.value.objectValue = object; }
// A string the browser will free: a copy in NPN_MemAlloc memory. False without memory.
bool SetString(NPVariant& v, const std::string& text);
// A string variant over bytes the caller keeps (for values passed into the browser).
NPVariant Borrowed(const std::string& text);

}  // namespace Variants
