#include "Biz/PanelSettings.h"

#include <string>

#include "Biz/ConfigMgr.h"
#include "Biz/Flavour.h"
#include "Biz/Log.h"

PanelSettings::PanelSettings() : encodeType_(Flavour::InitialEncodeType()) {}

PanelSettings::~PanelSettings() = default;

const TChar* PanelSettings::Version() { return SF_T("2,7,90,31475"); }

void PanelSettings::PutDebug(std::int16_t variantBool)
{
    debug_ = IsScriptTrue(variantBool);
    Logging::SetDebug(debug_);
}

void PanelSettings::PutLogFile(const TChar* path) { Logging::SetLogFile(TextOrEmpty(path).c_str(), debug_); }

void PanelSettings::PutPostFileLimit(std::uint16_t limit) { ConfigMgr::Instance()->SetPostFileLimit(limit); }
void PanelSettings::PutThumbnailWidth(std::uint16_t width) { ConfigMgr::Instance()->SetThumbnailWidth(width); }
void PanelSettings::PutThumbnailHeight(std::uint16_t height) { ConfigMgr::Instance()->SetThumbnailHeight(height); }
void PanelSettings::PutWatermark(std::int16_t variantBool) { ConfigMgr::Instance()->SetWatermark(IsScriptTrue(variantBool)); }
void PanelSettings::PutFileFieldName(const TChar* name) { ConfigMgr::Instance()->SetFileFieldName(TextOrEmpty(name)); }
void PanelSettings::PutEncodeType(const TChar* charset) { encodeType_ = Flavour::StoredEncodeType(TextOrEmpty(charset)); }
void PanelSettings::PutImageUploadType(const TChar* type) { ConfigMgr::Instance()->SetImageUploadType(TextOrEmpty(type)); }
void PanelSettings::PutJpegQuality(std::uint16_t quality) { ConfigMgr::Instance()->SetJpegQuality(quality); }
void PanelSettings::PutDefaultFolder(const TChar* folder) { ConfigMgr::Instance()->SetDefaultFolder(TextOrEmpty(folder)); }

void PanelSettings::AddField(const TChar* name, const TChar* value)
{
    extraFields_[TextOrEmpty(name)] = TextOrEmpty(value);
}

void PanelSettings::AddField(const TChar* name, std::int32_t value)
{
#if defined(SF_WIDE)
    const TString text = std::to_wstring(value);
#else
    const TString text = std::to_string(value);
#endif
    AddField(name, text.c_str());
}

std::vector<TString> PanelSettings::TakePostedFiles()
{
    std::vector<TString> taken;
    taken.swap(postedFiles_);
    return taken;
}
