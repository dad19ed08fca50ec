#include "DragFormats.h"

#include <new>

namespace {

FORMATETC GlobalFormat(CLIPFORMAT cf)
{
    return FORMATETC{cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

}  // namespace

DragFormats& DragFormats::Instance()
{
    static DragFormats formats;
    return formats;
}

bool DragFormats::RegisterFormat(const std::wstring& name)
{
    Korvel::Threading::CriticalSection::Lock hold(lock_);
    for (const auto& entry : formats_)
        if (entry.first == name) return true;
    const UINT cf = ::RegisterClipboardFormatW(name.c_str());
    if (cf == 0) return false;
    try {
        formats_.emplace_back(name, GlobalFormat(static_cast<CLIPFORMAT>(cf)));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

FORMATETC DragFormats::LookupFormat(const std::wstring& name) const
{
    Korvel::Threading::CriticalSection::Lock hold(lock_);
    for (const auto& entry : formats_)
        if (entry.first == name) return entry.second;
    return GlobalFormat(0);
}

bool DragFormats::Offers(IDataObject* data) const
{
    if (!data) return false;
    // Asked outside the lock: the data object may live in another process, and the call
    // can pump messages that reach a handler registering a format on this same thread.
    std::vector<FORMATETC> formats;
    try {
        Korvel::Threading::CriticalSection::Lock hold(lock_);
        formats.reserve(formats_.size());
        for (const auto& entry : formats_) formats.push_back(entry.second);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (FORMATETC& f : formats)
        if (data->QueryGetData(&f) == S_OK) return true;
    return false;
}
