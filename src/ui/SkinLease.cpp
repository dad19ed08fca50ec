#include "ui/SkinLease.h"

#include <mutex>

#include "platform/Handle.h"
#include "platform/Module.h"
#include "ui/CombinBitmap.h"
#include "ui/ImageLister.h"

namespace Korvel::UI {

namespace {

struct Shared {
    std::mutex lock;
    int holders = 0;
    Bitmap strip;
};

Shared& State()
{
    // Never destroyed: a panel may go while the module's statics are torn down.
    static Shared* state = new Shared;
    return *state;
}

}  // namespace

SkinLease::SkinLease(int stripId)
{
    Shared& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    if (state.holders++ > 0) return;
    CombinBitmap& strip = CombinBitmap::Instance();
    strip.RegisterCells(kStripCells);
    state.strip = LoadStripBitmap(ThisModule(), stripId);
    strip.SetBitmap(state.strip.Get());
    ImageLister::Instance().LoadSkins();
}

SkinLease::~SkinLease()
{
    Shared& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    if (--state.holders > 0) return;
    CombinBitmap::Instance().SetBitmap(nullptr);
    state.strip.Reset();
    ImageLister::Instance().Clear();
}

int SkinLease::Holders()
{
    Shared& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    return state.holders;
}

}  // namespace Korvel::UI
