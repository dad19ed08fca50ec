#pragma once
// The process-wide registry of named skin pictures, shared by every panel and dialog in the
// process. Made on first use and kept until the module unloads.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "image/CxImage.h"
#include "platform/Threading.h"

namespace Korvel::UI {

class ImageLister {
public:
    static ImageLister& Instance();
    ImageLister(const ImageLister&) = delete;
    ImageLister& operator=(const ImageLister&) = delete;

    // Registers the skins carried as "PNG" resources by this module; names already
    // present keep their images, so a second panel changes nothing.
    void LoadSkins();
    // The first registration of a name wins: false when the old image was kept (or when
    // there is no name or no valid image).
    bool Register(const char* name, std::unique_ptr<CxImage> image);
    // Null when not registered. Shared, so a Clear elsewhere never frees it under its user.
    std::shared_ptr<const CxImage> GetSkin(const char* name) const;

    // An unknown name draws nothing. Alpha is blended over what the context holds.
    void DrawSkin(HDC dc, const char* name, const RECT& rect) const;
    void DrawSkinAt(HDC dc, const char* name, int x, int y) const;
    void DrawSkinGrayAt(HDC dc, const char* name, int x, int y) const;

    // Deletes every image; a later LoadSkins fills the registry again.
    void Clear();

private:
    ImageLister() = default;
    const CxImage* Find(const char* name) const;  // caller holds lock_

    // Held while drawing as well, so that another thread's Clear cannot free an image
    // under a draw in progress.
    mutable Threading::CriticalSection lock_;
    std::map<std::string, std::shared_ptr<const CxImage>, std::less<>> skins_;
};

}  // namespace Korvel::UI
