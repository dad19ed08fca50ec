#pragma once
// The text flavour of this build: wide (UTF-16) for the ActiveX control, narrow (system
// ANSI code page) for the NPAPI plug-in. SF_WIDE is the one definition that selects it.
#include <string>

#if defined(SF_WIDE)
using TChar = wchar_t;
#define SF_T(text) L##text
#else
using TChar = char;
#define SF_T(text) text
#endif

using TString = std::basic_string<TChar>;

// Script strings may arrive as null; the product treats that as empty text.
inline TString TextOrEmpty(const TChar* text) { return text ? TString(text) : TString(); }
