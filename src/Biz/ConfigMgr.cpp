#include "Biz/ConfigMgr.h"

#include "Biz/Flavour.h"

ConfigMgr* ConfigMgr::Instance()
{
    static ConfigMgr* config = new ConfigMgr;  // lives until the module is unloaded
    return config;
}

void ConfigMgr::SetImageUploadType(const TString& type) { imageUploadType_ = Flavour::StoredImageUploadType(type); }

void ConfigMgr::ResetToDefaults() { *this = ConfigMgr(); }
