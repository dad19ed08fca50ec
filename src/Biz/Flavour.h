#pragma once
// Where the two deliverables store script values differently. Each difference is one
// function here; everything else is shared.
#include "platform/Text.h"

namespace Flavour {

// The charset a new panel starts with.
TString InitialEncodeType();
// EncodeType as stored: the NPAPI plug-in keeps it lower-cased, the ActiveX control as given.
TString StoredEncodeType(const TString& assigned);
// ImageUploadType as stored: lower-cased by the ActiveX control, kept as given by the plug-in.
TString StoredImageUploadType(const TString& assigned);

// The resource id of the skin strip bitmap in this deliverable.
int SkinStripId();

// Lower-casing with the C library's mapping. Narrow script text is UTF-8, so only ASCII
// letters change there: a byte-wise locale mapping could damage multi-byte sequences.
TString Lower(TString text);

}  // namespace Flavour
