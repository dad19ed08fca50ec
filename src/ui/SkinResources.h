#pragma once
// Resource ids of the skin pictures. resources/skins.rc includes this file too, so only
// preprocessor definitions may stand outside the RC_INVOKED guard.

// The strip bitmap: each deliverable carries it under its own id.
#define SF_STRIP_ID_ACTIVEX 227
#define SF_STRIP_ID_NPAPI 216

#ifndef RC_INVOKED
#include <array>

namespace Korvel::UI {

inline constexpr int kStripIdActiveX = SF_STRIP_ID_ACTIVEX;
inline constexpr int kStripIdNpapi = SF_STRIP_ID_NPAPI;

struct SkinResource {
    const char* name;
    int id;  // of a resource of type "PNG"
};

// Ids 300-329, in the order skins.rc lists them (well clear of the watermark's 201).
inline constexpr std::array<SkinResource, 30> kSkinResources{{
    {"BtnNormal", 300},
    {"BtnHover", 301},
    {"BtnDown", 302},
    {"BtnDisable", 303},
    {"CheckBox-Normal", 304},
    {"CheckBox-Hover", 305},
    {"CheckBox-Checked", 306},
    {"CheckBox-CkHover", 307},
    {"BtnCloseNormal", 308},
    {"BtnCloseHover", 309},
    {"BtnOk", 310},
    {"BtnCancel", 311},
    {"IcoAdd", 312},
    {"IcoInfo", 313},
    {"Title_bk", 314},
    {"BtnPost-Normal", 315},
    {"BtnPost-Hover", 316},
    {"BtnPost-Disable", 317},
    {"BtnPost-Cancel", 318},
    {"BtnAdd-Normal", 319},
    {"BtnAdd-Hover", 320},
    {"BtnAdd-Disable", 321},
    {"BtnAddUrl-Normal", 322},
    {"BtnAddUrl-Hover", 323},
    {"BtnAddUrl-Disable", 324},
    {"BtnAdd2-Normal", 325},
    {"BtnAdd2-Hover", 326},
    {"RotatioLeft", 327},
    {"RotatioRight", 328},
    {"Btn_Delete", 329},
}};

}  // namespace Korvel::UI
#endif
