#pragma once
// The "remark" field of an upload: the photo's caption in the ANSI code page, Base64 with a
// line feed after every 72 characters and after the last group. Servers decode it as such.
#include "platform/Text.h"

TString EncodeRemark(const TString& caption);
