#pragma once
// Process-wide settings for image preparation and intake, shared by every panel in the
// process. No lock: written on the window thread; during a run the page should leave them be.
#include <cstdint>

#include "platform/Text.h"

class ConfigMgr {
public:
    static ConfigMgr* Instance();
    virtual ~ConfigMgr() = default;

    bool Watermark() const { return watermark_ != 0; }
    void SetWatermark(bool on) { watermark_ = on ? 1 : 0; }
    std::uint16_t JpegQuality() const { return jpegQuality_; }
    void SetJpegQuality(std::uint16_t quality) { jpegQuality_ = quality; }
    std::uint16_t PostFileLimit() const { return postFileLimit_; }
    void SetPostFileLimit(std::uint16_t limit) { postFileLimit_ = limit; }
    std::int32_t MaxImageCount() const { return maxImageCount_; }
    std::int32_t ThumbnailWidth() const { return thumbnailWidth_; }
    void SetThumbnailWidth(std::uint16_t width) { thumbnailWidth_ = width; }
    std::int32_t ThumbnailHeight() const { return thumbnailHeight_; }
    void SetThumbnailHeight(std::uint16_t height) { thumbnailHeight_ = height; }
    const TString& FileFieldName() const { return fileFieldName_; }
    void SetFileFieldName(const TString& name) { fileFieldName_ = name; }
    const TString& ImageUploadType() const { return imageUploadType_; }
    void SetImageUploadType(const TString& type);
    const TString& DefaultFolder() const { return defaultFolder_; }
    void SetDefaultFolder(const TString& folder) { defaultFolder_ = folder; }

    // Back to the values of a fresh process (for tests and tools).
    void ResetToDefaults();

private:
    ConfigMgr() = default;

    std::int32_t watermark_ = 0;
    std::uint16_t jpegQuality_ = 80;
    std::uint16_t postFileLimit_ = 0;
    std::int32_t maxImageCount_ = 100;
    std::int32_t thumbnailWidth_ = 0;
    std::int32_t thumbnailHeight_ = 0;
    TString fileFieldName_ = SF_T("img");
    TString imageUploadType_;
    TString defaultFolder_;
};
