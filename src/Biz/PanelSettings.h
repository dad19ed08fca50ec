#pragma once
// One panel's settings and the host-neutral script surface. Both hosts forward every
// property assignment and method call here; process-wide values go on to ConfigMgr and the
// log.
#include <cstdint>
#include <map>
#include <type_traits>
#include <vector>

#include "Biz/ScriptRef.h"
#include "platform/Text.h"

// Field names ordered by their code units as unsigned values: "B" before "a", "a" before "ab".
struct CodeUnitLess {
    bool operator()(const TString& a, const TString& b) const
    {
        using Unit = std::make_unsigned_t<TChar>;
        const std::size_t n = a.size() < b.size() ? a.size() : b.size();
        for (std::size_t i = 0; i < n; ++i) {
            const Unit x = static_cast<Unit>(a[i]), y = static_cast<Unit>(b[i]);
            if (x != y) return x < y;
        }
        return a.size() < b.size();
    }
};
using ExtraFieldMap = std::map<TString, TString, CodeUnitLess>;

// VARIANT_TRUE (-1) is the only script value that counts as true.
inline bool IsScriptTrue(std::int16_t value) { return value == -1; }

class PanelSettings {
public:
    static constexpr std::int32_t kHardSizeLimit = 10 * 1048576;

    PanelSettings();
    virtual ~PanelSettings();
    PanelSettings(const PanelSettings&) = delete;
    PanelSettings& operator=(const PanelSettings&) = delete;

    // --- script surface ---
    static const TChar* Version();
    void PutFileSizeLimit(std::int32_t bytes) { fileSizeLimit_ = bytes; }
    void PutObject(void* object, const ScriptObjectOps* ops) { object_.Assign(object, ops); }
    void PutOnError(void* function, const ScriptObjectOps* ops) { onError_.Assign(function, ops); }
    void PutAfterImagesPosted(void* function, const ScriptObjectOps* ops) { afterImagesPosted_.Assign(function, ops); }
    void PutDebug(std::int16_t variantBool);
    void PutLogFile(const TChar* path);
    void PutPostUrl(const TChar* url) { postUrl_ = TextOrEmpty(url); }
    void PutPostFileLimit(std::uint16_t limit);
    void PutThumbnailWidth(std::uint16_t width);
    void PutThumbnailHeight(std::uint16_t height);
    void PutWatermark(std::int16_t variantBool);
    void PutFileFieldName(const TChar* name);
    void PutEncodeType(const TChar* charset);
    void PutImageUploadType(const TChar* type);
    void PutJpegQuality(std::uint16_t quality);
    void PutDefaultFolder(const TChar* folder);
    void AddField(const TChar* name, const TChar* value);
    void AddField(const TChar* name, std::int32_t value);  // the plug-in's integer form
    void ClearFields() { extraFields_.clear(); }

    // --- for the upload run and the result binding ---
    const TString& PostUrl() const { return postUrl_; }
    const TString& EncodeType() const { return encodeType_; }
    std::int32_t FileSizeLimit() const { return fileSizeLimit_; }
    std::int32_t HardSizeLimit() const { return kHardSizeLimit; }
    bool Debug() const { return debug_; }
    void* Object() const { return object_.Get(); }
    void* OnError() const { return onError_.Get(); }
    void* AfterImagesPosted() const { return afterImagesPosted_.Get(); }
    const ExtraFieldMap& ExtraFields() const { return extraFields_; }
    const std::vector<TString>& PostedFiles() const { return postedFiles_; }
    void AppendPostedFile(const TString& response) { postedFiles_.push_back(response); }
    // Hands the list over and empties it (the plug-in's GetPostedFiles).
    std::vector<TString> TakePostedFiles();

private:
    TString postUrl_;
    TString encodeType_;
    std::int32_t fileSizeLimit_ = 0;
    bool debug_ = false;
    ScriptRef object_;
    ScriptRef onError_;
    ScriptRef afterImagesPosted_;
    ExtraFieldMap extraFields_;
    std::vector<TString> postedFiles_;
};
