#pragma once
// The page side of a browser without a script engine: a window object whose `Array` makes
// arrays, and arrays with `push`, `length` and numbered elements, enough for a plug-in that
// hands lists to the page. The script bridge replaces them with the engine's own.
#include <string>
#include <vector>

#include "npapi/NpApi.h"

namespace PageObjects {

// A new window object (one reference for the caller).
NPObject* NewWindow(NPP npp);
// The elements of an array made by such a window; empty for any other object.
std::vector<std::string> ArrayTexts(NPObject* array);
bool IsArray(NPObject* object);

}  // namespace PageObjects
