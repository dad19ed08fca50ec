#include "ui/ImageLister.h"

namespace Korvel::UI {

ImageLister& ImageLister::Instance()
{
    static ImageLister* instance = new ImageLister;
    return *instance;
}

bool ImageLister::Register(const char* name, std::unique_ptr<CxImage> image)
{
    return skins_.emplace(name, std::move(image)).second;
}

const CxImage* ImageLister::GetSkin(const char* name) const
{
    auto it = skins_.find(name);
    return it == skins_.end() ? nullptr : it->second.get();
}

void ImageLister::DrawSkin(HDC dc, const char* name, const RECT& rect) const
{
    if (const CxImage* skin = GetSkin(name)) skin->DrawStretched(dc, rect);
}

void ImageLister::DrawSkinAt(HDC dc, const char* name, int x, int y) const
{
    if (const CxImage* skin = GetSkin(name)) skin->DrawNatural(dc, x, y);
}

void ImageLister::DrawSkinGrayAt(HDC dc, const char* name, int x, int y) const
{
    const CxImage* skin = GetSkin(name);
    CxImage grey;
    if (skin && skin->GreyCopy(grey)) grey.DrawNatural(dc, x, y);
}

void ImageLister::Clear() { skins_.clear(); }

}  // namespace Korvel::UI
