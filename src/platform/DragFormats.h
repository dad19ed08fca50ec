#pragma once
// The process-wide list of private clipboard formats that our drop targets take besides
// file lists. Shared by every panel and list in the process, so it is locked.
#include <windows.h>
#include <ole2.h>

#include <string>
#include <utility>
#include <vector>

#include "Threading.h"

// The format a thumbnail travels in while it is dragged to a new place in its list.
inline constexpr wchar_t kListViewItemFormat[] = L"ListViewItem";

class DragFormats {
public:
    static DragFormats& Instance();

    // Registers the name with the system once; false when the system refuses it.
    bool RegisterFormat(const std::wstring& name);
    // The registered description, or one with format 0 for a name never registered.
    FORMATETC LookupFormat(const std::wstring& name) const;
    // Whether the data object can deliver one of the registered formats.
    bool Offers(IDataObject* data) const;

    DragFormats(const DragFormats&) = delete;
    DragFormats& operator=(const DragFormats&) = delete;

private:
    DragFormats() = default;

    mutable Korvel::Threading::CriticalSection lock_;
    std::vector<std::pair<std::wstring, FORMATETC>> formats_;
};
