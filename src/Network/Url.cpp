#include "Network/Url.h"

#include "Biz/Flavour.h"

namespace Network {

namespace {

constexpr std::size_t kMaxHost = 256;
constexpr std::size_t kMaxPath = 2048;

Scheme SchemeOf(const TString& name)
{
    const TString s = Flavour::Lower(name);
    if (s == SF_T("http")) return Scheme::Http;
    if (s == SF_T("https")) return Scheme::Https;
    if (s == SF_T("ftp")) return Scheme::Ftp;
    if (s == SF_T("gopher")) return Scheme::Gopher;
    if (s == SF_T("socks")) return Scheme::Socks;
    return Scheme::Unknown;
}

std::uint16_t DefaultPort(Scheme s)
{
    switch (s) {
    case Scheme::Http: return 80;
    case Scheme::Https: return 443;
    case Scheme::Ftp: return 21;
    case Scheme::Gopher: return 70;
    case Scheme::Socks: return 1080;
    default: return 0;
    }
}

bool ParsePort(const TString& text, std::uint16_t& port)
{
    if (text.empty() || text.size() > 5) return false;
    unsigned value = 0;
    for (TChar c : text) {
        if (c < SF_T('0') || c > SF_T('9')) return false;
        value = value * 10 + static_cast<unsigned>(c - SF_T('0'));
    }
    if (value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

}  // namespace

UrlParts SplitUrl(const TString& url)
{
    UrlParts parts;
    const auto schemeEnd = url.find(SF_T("://"));
    if (schemeEnd == TString::npos || schemeEnd == 0) return parts;
    parts.schemeName = url.substr(0, schemeEnd);
    parts.scheme = SchemeOf(parts.schemeName);

    const std::size_t authorityStart = schemeEnd + 3;
    std::size_t authorityEnd = url.find_first_of(SF_T("/?#"), authorityStart);
    if (authorityEnd == TString::npos) authorityEnd = url.size();
    TString authority = url.substr(authorityStart, authorityEnd - authorityStart);

    const auto at = authority.rfind(SF_T('@'));
    if (at != TString::npos) {
        const TString credentials = authority.substr(0, at);
        authority.erase(0, at + 1);
        const auto colon = credentials.find(SF_T(':'));
        parts.user = credentials.substr(0, colon);
        if (colon != TString::npos) parts.password = credentials.substr(colon + 1);
    }

    TString host = authority;
    std::uint16_t port = DefaultPort(parts.scheme);
    const auto colon = authority.rfind(SF_T(':'));
    // A bracketed IPv6 literal holds colons of its own.
    if (colon != TString::npos && authority.find(SF_T(']'), colon) == TString::npos) {
        host = authority.substr(0, colon);
        if (!ParsePort(authority.substr(colon + 1), port)) return UrlParts{};
    }

    TString rest = url.substr(authorityEnd);
    const auto hash = rest.find(SF_T('#'));
    if (hash != TString::npos) {
        parts.fragment = rest.substr(hash + 1);
        rest.erase(hash);
    }
    const auto question = rest.find(SF_T('?'));
    if (question != TString::npos) {
        parts.query = rest.substr(question + 1);
        rest.erase(question);
    }

    if (host.empty() || host.size() > kMaxHost || rest.size() > kMaxPath) {
        UrlParts failed;
        failed.scheme = parts.scheme;
        failed.schemeName = parts.schemeName;
        return failed;
    }
    parts.host = host;
    parts.port = port;
    parts.path = rest;
    parts.ok = true;
    return parts;
}

TString LastPathSegment(const TString& path)
{
    const auto slash = path.find_last_of(SF_T("/\\"));
    return slash == TString::npos ? path : path.substr(slash + 1);
}

}  // namespace Network
