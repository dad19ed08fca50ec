#pragma once
// Placeholder until the skins branch lands.
#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "image/CxImage.h"

namespace Korvel::UI {

class ImageLister {
public:
    static ImageLister& Instance();
    bool Register(const char* name, std::unique_ptr<CxImage> image);
    const CxImage* GetSkin(const char* name) const;
    void DrawSkin(HDC dc, const char* name, const RECT& rect) const;
    void DrawSkinAt(HDC dc, const char* name, int x, int y) const;
    void DrawSkinGrayAt(HDC dc, const char* name, int x, int y) const;
    void Clear();

private:
    std::map<std::string, std::unique_ptr<CxImage>> skins_;
};

}  // namespace Korvel::UI
