// The list's items: adding, removing, ordering, the queries, file and item drops, and the
// loader thread that decodes pictures in the background.
#include "ui/listview/ListView.h"

#include <shlwapi.h>

#include <algorithm>

#include "platform/DataObject.h"
#include "platform/TextConv.h"
#include "ui/listview/ListViewItem.h"
#include "ui/listview/ListViewPostItem.h"

using Korvel::Threading::CriticalSection;

void ListView::AddItem(ListViewItem* item)
{
    item->SetOwner(this);
    item->SetId(nextId_++);
    // The loader reads the vector under its step lock; growing it may move it.
    CriticalSection::Lock step(stepLock_);
    CriticalSection::Lock hold(itemsLock_);
    items_.push_back(item);
}

// Drops every reference the list keeps to an item that is about to go.
void ListView::ForgetItem(ListViewItem* item)
{
    std::erase(selection_, item);
    if (item->Id() == hovered_) hovered_ = -1;
    if (item->Id() == anchor_) anchor_ = -1;
    if (item == editing_) {
        editing_ = nullptr;
        HideCaptionEditor();
    }
}

void ListView::RemoveItem(int id)
{
    ListViewItem* item = ItemById(id);
    if (!item) return;
    const int scroll = ScrollPosition();
    ForgetItem(item);
    {
        // Never under the loader's feet: it may be decoding this very item.
        CriticalSection::Lock step(stepLock_);
        CriticalSection::Lock hold(itemsLock_);
        std::erase(items_, item);
        delete item;
    }
    ItemRemoved.emit(id);
    UpdateScrollBar();
    Arrange();
    if (!wnd_) return;
    InvalidateBesideScrollBar(20);
    ScrollTo(std::min(scroll, MaxScrollPosition()));
    FollowCursor();
}

void ListView::RefreshItem(int id)
{
    auto* item = dynamic_cast<ListViewPostItem*>(ItemById(id));
    if (!item || !wnd_) return;
    const int scroll = ScrollPosition();
    const RECT view = item->GetViewRect(scroll);
    RECT visible;
    if (!::IntersectRect(&visible, &view, &client_)) return;
    const RECT strip = ListViewPostItem::ProgressStrip(view);
    ::InvalidateRect(wnd_, &strip, FALSE);
}

void ListView::RemoveSelected()
{
    std::vector<ListViewItem*> doomed = selection_;
    for (ListViewItem* item : doomed) ForgetItem(item);
    {
        CriticalSection::Lock step(stepLock_);
        CriticalSection::Lock hold(itemsLock_);
        for (ListViewItem* item : doomed) {
            std::erase(items_, item);
            delete item;
        }
    }
    selection_.clear();
    ItemRemoved.emit(0);
    anchor_ = hovered_ = -1;
    UpdateScrollBar();
    Arrange();
    if (!wnd_) return;
    ScrollTo(0);
    InvalidateBesideScrollBar(20);
    FollowCursor();
}

void ListView::Clear()
{
    StopLoader();
    {
        CriticalSection::Lock step(stepLock_);
        CriticalSection::Lock hold(itemsLock_);
        for (ListViewItem* item : items_) delete item;
        items_.clear();
    }
    selection_.clear();
    anchor_ = hovered_ = -1;
    if (editing_) {
        editing_ = nullptr;
        HideCaptionEditor();
    }
    if (!wnd_) return;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    ::SetScrollInfo(wnd_, SB_VERT, &info, TRUE);
    ::EnableScrollBar(wnd_, SB_VERT, ESB_DISABLE_BOTH);
    ::InvalidateRect(wnd_, nullptr, TRUE);
}

void ListView::SortItems(int order)
{
    {
        CriticalSection::Lock step(stepLock_);
        CriticalSection::Lock hold(itemsLock_);
        std::sort(items_.begin(), items_.end(), [order](const ListViewItem* a, const ListViewItem* b) {
            switch (order) {
            case 1:
                return a->GetCaption() < b->GetCaption();
            case 2:
                return a->Created() < b->Created();
            case 3:
                return a->Shot() < b->Shot();
            default:
                return a->Id() < b->Id();
            }
        });
    }
    Arrange();
    UpdateScrollBar();
    RepaintAll();
}

void ListView::MoveItem(int sourceId, int targetId)
{
    if (sourceId == targetId || items_.size() < 2) return;
    {
        CriticalSection::Lock step(stepLock_);
        CriticalSection::Lock hold(itemsLock_);
        auto source = std::find_if(items_.begin(), items_.end(), [&](auto* i) { return i->Id() == sourceId; });
        if (source == items_.end()) return;
        ListViewItem* moving = *source;
        items_.erase(source);
        auto target = std::find_if(items_.begin(), items_.end(), [&](auto* i) { return i->Id() == targetId; });
        items_.insert(target, moving);
    }
    Arrange();
    RepaintAll();
}

void ListView::SelectAll(bool select)
{
    for (ListViewItem* item : items_) {
        if (select)
            item->Select();
        else
            Deselect(item);
    }
    selection_ = select ? items_ : std::vector<ListViewItem*>{};
}

void ListView::SetAllChecked(int value)
{
    for (ListViewItem* item : items_) item->SetChecked(value);
}

ListViewItem* ListView::ItemAt(int index) const
{
    return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)] : nullptr;
}

ListViewItem* ListView::ItemById(int id) const
{
    if (id < 0) return nullptr;
    for (ListViewItem* item : items_)
        if (item->Id() == id) return item;
    return nullptr;
}

ListViewItem* ListView::ItemFromPoint(POINT listPoint) const
{
    for (ListViewItem* item : items_) {
        RECT b;
        item->GetBounds(&b);
        if (::PtInRect(&b, listPoint)) return item;
    }
    return nullptr;
}

bool ListView::ContainsPath(const TString& path) const
{
    return std::any_of(items_.begin(), items_.end(), [&](const ListViewItem* i) { return i->HasPath(path); });
}

bool ListView::ContainsSameFile(const ListViewItem* item) const
{
    return std::any_of(items_.begin(), items_.end(), [&](const ListViewItem* i) { return i->SamePath(item); });
}

int ListView::CountChecked() const
{
    return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](auto* i) { return i->IsChecked(); }));
}

void ListView::CopyChecked(std::vector<ListViewItem*>& out) const
{
    std::copy_if(items_.begin(), items_.end(), std::back_inserter(out), [](auto* i) { return i->IsChecked(); });
}

int ListView::SumFileSizes() const
{
    int total = 0;
    for (const ListViewItem* item : items_) item->AddFileSize(&total);
    return total;
}

int ListView::SumEncodedSizes() const
{
    int total = 0;
    for (const ListViewItem* item : items_) total += item->EncodedSize();
    return total;
}

void ListView::CollectPending(std::list<ListViewItem*>& out) const
{
    for (ListViewItem* item : items_) {
        auto* post = dynamic_cast<ListViewPostItem*>(item);
        if (!post || !post->IsUploaded()) out.push_back(item);
    }
}

bool ListView::IsDroppableImage(const wchar_t* path)
{
    if (::PathIsRootW(path) || ::PathIsDirectoryW(path)) return false;
    const wchar_t* extension = ::PathFindExtensionW(path);
    for (const wchar_t* accepted : {L".gif", L".png", L".bmp", L".jpg"})
        if (::lstrcmpiW(extension, accepted) == 0) return true;
    return false;
}

void ListView::VisitItems(const std::function<void(ListViewItem&)>& visit) const
{
    CriticalSection::Lock hold(itemsLock_);
    for (ListViewItem* item : items_) visit(*item);
}

void ListView::OnDropFiles(HDROP files)
{
    // Photos added during an upload run would be deleted unsent when the run empties the list.
    if (!editable_) return;
    const UINT count = ::DragQueryFileW(files, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // Longer names would arrive cut short, naming some other file or none.
        if (::DragQueryFileW(files, i, nullptr, 0) > 254) continue;
        wchar_t path[255] = {};
        ::DragQueryFileW(files, i, path, 255);
        if (!IsDroppableImage(path)) continue;
        const TString name = Korvel::Text::TextFromWide<TChar>(path);
        if (ContainsPath(name) || Count() > kDropLimit) continue;
        AddItem(new ListViewPostItem(name));
    }
    Arrange();
    UpdateScrollBar();
    RepaintAll();
    StartLoader();
    DropAdded.emit();
}

void ListView::OnDropPrivate(IDataObject* data, DWORD, POINTL pt, DWORD*)
{
    POINT point{pt.x, pt.y};
    ::ScreenToClient(wnd_, &point);
    ListViewItem* target = ItemFromPoint(ToList(point));
    int source = -1;
    if (target && ReadItemId(data, &source)) MoveItem(source, target->Id());
}

void ListView::StartLoader()
{
    int generation = 0;
    {
        // A loader at work finds the new items itself (it looks for the next one under the
        // step lock, which adding takes). One that was stopped may still be decoding: it is
        // not waited for, only told by the generation that its turn is over.
        CriticalSection::Lock step(stepLock_);
        CriticalSection::Lock hold(stopLock_);
        if (stop_ == 0) return;
        stop_ = 0;
        generation = ++generation_;
    }
    std::erase_if(loaders_, [](const Korvel::Handle& h) { return ::WaitForSingleObject(h.Get(), 0) == WAIT_OBJECT_0; });
    loading_ = 1;
    auto start = std::make_unique<LoaderStart>(LoaderStart{this, generation});
    Korvel::Handle thread(::CreateThread(nullptr, 0, &ListView::LoaderThread, start.get(), 0, nullptr));
    if (!thread) {
        loading_ = 0;
        CriticalSection::Lock hold(stopLock_);
        stop_ = 1;
        return;
    }
    start.release();  // the thread's now
    loaders_.push_back(std::move(thread));
}

void ListView::StopLoader()
{
    CriticalSection::Lock step(stepLock_);
    CriticalSection::Lock hold(stopLock_);
    stop_ = 1;
    loading_ = 0;
}

void ListView::JoinLoader()
{
    for (const Korvel::Handle& loader : loaders_) ::WaitForSingleObject(loader.Get(), INFINITE);
    loaders_.clear();
}

bool ListView::LoaderStopped(int generation)
{
    CriticalSection::Lock hold(stopLock_);
    return stop_ == 1 || generation != generation_;
}

DWORD WINAPI ListView::LoaderThread(void* raw)
{
    const std::unique_ptr<LoaderStart> start(static_cast<LoaderStart*>(raw));
    try {
        start->list->RunLoader(start->generation);
    } catch (...) {
        // A picture that cannot be decoded stays without one; nothing leaves the thread.
    }
    return 0;
}

void ListView::RunLoader(int generation)
{
    // Each step takes the first item still waiting for its picture, so items removed,
    // added or reordered meanwhile neither hide others from the loader nor get loaded twice.
    // The file is read and decoded outside every lock the window thread takes, so drops,
    // deletions, sorting and dragging go on meanwhile; the item is looked up again by its
    // identifier afterwards, as it may have gone.
    for (;;) {
        int id = -1;
        TString path;
        {
            CriticalSection::Lock step(stepLock_);
            if (LoaderStopped(generation)) return;
            auto next = std::find_if(items_.begin(), items_.end(),
                                     [](const ListViewItem* item) { return !item->IsLoaded() && !item->IsWeb(); });
            if (next == items_.end()) {
                // Done, under the step lock: a drop now starts a new loader.
                CriticalSection::Lock hold(stopLock_);
                stop_ = 1;
                loading_ = 0;
                return;
            }
            id = (*next)->Id();
            path = (*next)->GetPath();
        }
        ListViewItem::Loaded loaded;
        try {
            loaded = ListViewItem::ReadFile(path);
        } catch (...) {
            // No memory for this one: it stays without a picture, and the loader goes on.
        }
        CriticalSection::Lock step(stepLock_);
        if (LoaderStopped(generation)) return;
        ListViewItem* item = ItemById(id);
        if (!item) continue;
        {
            CriticalSection::Lock hold(itemsLock_);
            item->Apply(std::move(loaded));
        }
        item->InvalidateIfVisible();
    }
}
