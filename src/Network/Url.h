#pragma once
// Splitting an upload or download address into the pieces the HTTP layer needs.
#include <cstdint>

#include "platform/Text.h"

namespace Network {

enum class Scheme { Unknown, Http, Https, Ftp, Gopher, Socks };

struct UrlParts {
    bool ok = false;
    Scheme scheme = Scheme::Unknown;
    TString schemeName;
    TString user;
    TString password;
    TString host;
    std::uint16_t port = 0;
    TString path;  // up to the first '?' or '#'
    TString query;
    TString fragment;
};

// The port is the one written in the address, else the scheme's default. A host longer than
// 256 characters or a path longer than 2048 makes the split fail with host and path empty.
UrlParts SplitUrl(const TString& url);

// The last segment of the address's path (after the last '/' or '\').
TString LastPathSegment(const TString& path);

}  // namespace Network
