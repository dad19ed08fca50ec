#include "Biz/Flavour.h"

#include <cwctype>

#include "ui/SkinResources.h"

namespace Flavour {

TString Lower(TString text)
{
    for (TChar& c : text) {
#if defined(SF_WIDE)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
#else
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
#endif
    }
    return text;
}

#if defined(SF_WIDE)
TString InitialEncodeType() { return L"UTF-8"; }
TString StoredEncodeType(const TString& assigned) { return assigned; }
TString StoredImageUploadType(const TString& assigned) { return Lower(assigned); }
int SkinStripId() { return Korvel::UI::kStripIdActiveX; }
#else
TString InitialEncodeType() { return "utf-8"; }
TString StoredEncodeType(const TString& assigned) { return Lower(assigned); }
TString StoredImageUploadType(const TString& assigned) { return assigned; }
int SkinStripId() { return Korvel::UI::kStripIdNpapi; }
#endif

}  // namespace Flavour
