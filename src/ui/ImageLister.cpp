#include "ui/ImageLister.h"

#include <new>
#include <string_view>

#include "platform/Module.h"
#include "ui/SkinResources.h"

namespace Korvel::UI {

using Lock = Threading::CriticalSection::Lock;

ImageLister& ImageLister::Instance()
{
    // Never destroyed: panels may still draw while the module's statics are torn down.
    static ImageLister* instance = new ImageLister;
    return *instance;
}

void ImageLister::LoadSkins()
{
    for (const SkinResource& skin : kSkinResources) {
        if (GetSkin(skin.name)) continue;
        std::unique_ptr<CxImage> image(new (std::nothrow) CxImage(CXIMAGE_FORMAT_PNG));
        if (image && image->LoadResource(ThisModule(), static_cast<unsigned>(skin.id), CXIMAGE_FORMAT_PNG))
            Register(skin.name, std::move(image));
    }
}

bool ImageLister::Register(const char* name, std::unique_ptr<CxImage> image)
{
    if (!name || !image || !image->IsValid()) return false;
    Lock lock(lock_);
    try {
        return skins_.try_emplace(name, std::shared_ptr<const CxImage>(std::move(image))).second;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

const CxImage* ImageLister::Find(const char* name) const
{
    if (!name) return nullptr;
    const auto found = skins_.find(std::string_view(name));
    return found == skins_.end() ? nullptr : found->second.get();
}

std::shared_ptr<const CxImage> ImageLister::GetSkin(const char* name) const
{
    Lock lock(lock_);
    if (!name) return nullptr;
    const auto found = skins_.find(std::string_view(name));
    return found == skins_.end() ? nullptr : found->second;
}

void ImageLister::DrawSkin(HDC dc, const char* name, const RECT& rect) const
{
    Lock lock(lock_);
    if (const CxImage* image = Find(name)) image->DrawStretched(dc, rect);
}

void ImageLister::DrawSkinAt(HDC dc, const char* name, int x, int y) const
{
    Lock lock(lock_);
    if (const CxImage* image = Find(name)) image->DrawNatural(dc, x, y);
}

void ImageLister::DrawSkinGrayAt(HDC dc, const char* name, int x, int y) const
{
    Lock lock(lock_);
    const CxImage* image = Find(name);
    if (!image) return;
    // Only small icons are drawn greyed, so a fresh copy per paint costs little and keeps
    // the registry to one image per name.
    CxImage grey;
    if (image->GreyCopy(grey)) grey.DrawNatural(dc, x, y);
}

void ImageLister::Clear()
{
    Lock lock(lock_);
    skins_.clear();
}

}  // namespace Korvel::UI
