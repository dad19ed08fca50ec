#pragma once
// The scrolling thumbnail grid: a child window of its own that is also a control of its
// host. It owns its items, keeps the selection, lays the items out in rows, scrolls, shows
// per-item tooltips, edits captions in place, reorders items by dragging them, takes image
// files dropped from the shell, and decodes missing pictures on a loader thread.
#include <windows.h>

#include <functional>
#include <list>
#include <memory>
#include <vector>

#include "platform/DropSource.h"
#include "platform/DropTarget.h"
#include "platform/Handle.h"
#include "platform/Text.h"
#include "platform/Threading.h"
#include "ui/BackBuffer.h"
#include "ui/ControlBase.h"
#include "ui/controls/TextEditor.h"
#include "ui/controls/ToolTip.h"
#include "ui/sigslot.h"

class ListViewItem;

// Private messages: remove an item, repaint an item's progress strip (identifier in wParam).
constexpr UINT WM_LISTVIEW_REMOVEITEM = 0x0401;
constexpr UINT WM_LISTVIEW_REFRESHITEM = 0x0402;

class ListView : public CIDropTargetImpl, public OleDrager, public Korvel::UI::ControlBase {
public:
    sigslot::signal0<sigslot::multi_threaded_local> DropAdded;
    sigslot::signal1<int, sigslot::multi_threaded_local> SelectionChanged;
    sigslot::signal1<int, sigslot::multi_threaded_local> ItemRemoved;
    sigslot::signal1<ListViewItem*, sigslot::multi_threaded_local> ItemActivated;

    // Files a drop may add while the list holds at most this many items.
    static constexpr int kDropLimit = 100;

    ListView();
    ~ListView() override;

    // As a control: a hidden child of the container's window; the host shows it.
    void Attach(Korvel::UI::ControlBase* container) override;
    void GetContainerRect(RECT* rect) const override;
    void Layout() override;
    void Destroy() override;
    // Shows or hides the list's own window.
    void SetVisible(int visible) override;
    // As a window of its own, visible at the given place (the picker dialog's list).
    bool CreateIn(HWND parent, int x, int y, int width, int height);
    HWND GetWindowHandle() const override { return wnd_; }

    // Items: the list owns them from AddItem on.
    void AddItem(ListViewItem* item);
    void RemoveItem(int id);
    void RefreshItem(int id);
    void RemoveSelected();
    void Clear();
    void SortItems(int order);
    void MoveItem(int sourceId, int targetId);

    void Arrange();
    void UpdateScrollBar();
    void RepaintAll();

    void SelectAll(bool select);
    void SetAllChecked(int value);
    const std::vector<ListViewItem*>& GetSelection() const { return selection_; }
    void AddToSelection(ListViewItem* item) { selection_.push_back(item); }
    void SetSelectionAnchor(int id) { anchor_ = id; }
    int SelectionAnchor() const { return anchor_; }
    int Hovered() const { return hovered_; }

    int Count() const { return static_cast<int>(items_.size()); }
    bool IsEmpty() const { return items_.empty(); }
    ListViewItem* ItemAt(int index) const;
    ListViewItem* ItemById(int id) const;
    ListViewItem* ItemFromPoint(POINT listPoint) const;
    bool ContainsPath(const TString& path) const;
    bool ContainsSameFile(const ListViewItem* item) const;
    int CountChecked() const;
    void CopyChecked(std::vector<ListViewItem*>& out) const;
    int SumFileSizes() const;
    int SumEncodedSizes() const;
    void CollectPending(std::list<ListViewItem*>& out) const;
    // Every item in display order, under the lock the loader changes captions under.
    void VisitItems(const std::function<void(ListViewItem&)>& visit) const;
    // A file the list and the panel take from a drop: one of the four picture extensions,
    // not a folder or a drive.
    static bool IsDroppableImage(const wchar_t* path);

    void SetEditable(int editable) { editable_ = editable; }
    int IsEditable() const { return editable_; }
    void SetItemWidth(int width) { itemWidth_ = width; }
    void SetItemHeight(int height) { itemHeight_ = height; }
    int ItemWidth() const { return itemWidth_; }
    int ItemHeight() const { return itemHeight_; }
    int PictureBoxWidth() const { return pictureWidth_; }
    int PictureBoxHeight() const { return pictureHeight_; }
    COLORREF SelectedFrameColor() const { return selectedFrame_; }
    COLORREF NormalFrameColor() const { return normalFrame_; }
    int ScrollPosition() const;
    RECT ClientRect() const { return client_; }

    // In-place caption editing, started by an item over its caption strip.
    void BeginCaptionEdit(ListViewItem* item, const RECT& windowRect, const TString& caption);
    ListViewItem* EditingItem() const { return editing_; }
    TString CaptionEditorText() const;
    void HideCaptionEditor();
    // Ends a caption edit under way, keeping what was typed (the editor losing the focus
    // does the same, whatever took it).
    void CommitCaptionEdit();
    // A caption changes under the lock that painting, tooltips and the run read it under.
    void SetItemCaption(ListViewItem* item, const TString& caption);

    void StartLoader();
    void StopLoader();
    bool IsLoading() const { return loading_ != 0; }

    // Drop target hooks.
    void OnDropFiles(HDROP files) override;
    void OnDropPrivate(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;

private:
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateWindowIn(HWND parent, const RECT& place, bool visible);
    void OnDestroyWindow();
    void Paint();
    void Scroll(int request);
    void Wheel(int delta);
    void ScrollTo(int position);
    int MaxScrollPosition() const;
    void InvalidateBesideScrollBar(int keep);
    void FollowCursor();
    int Columns() const;
    struct LoaderStart {
        ListView* list;
        int generation;
    };
    static DWORD WINAPI LoaderThread(void* start);
    void RunLoader(int generation);
    bool LoaderStopped(int generation);
    void JoinLoader();
    void Deselect(ListViewItem* item);
    void ForgetItem(ListViewItem* item);

    // Mouse and keyboard.
    void RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam, POINT point);
    void OnLeftDown(WPARAM keys, POINT point);
    void OnLeftUp(POINT point);
    void OnDoubleClick(POINT point);
    void OnMove(POINT point);
    void OnLeave();
    void OnKeyUp(WPARAM key);
    void DeselectAll();
    POINT ToList(POINT window) const;

    HWND wnd_ = nullptr;
    int editable_ = 1;
    volatile LONG loading_ = 0;
    int anchor_ = -1;
    int hovered_ = -1;
    int itemHeight_ = 141;
    int itemWidth_ = 140;
    int pictureWidth_ = 148;
    int pictureHeight_ = 120;
    int gapX_ = 14;
    int gapY_ = 32;
    COLORREF selectedFrame_ = RGB(84, 180, 233);
    COLORREF normalFrame_ = RGB(197, 197, 197);
    std::vector<ListViewItem*> items_;
    int nextId_ = 0;
    std::vector<ListViewItem*> selection_;
    ListViewItem* editing_ = nullptr;
    RECT client_{};
    Korvel::UI::Margins inner_{4, 4, 4, 4};
    HWND parent_ = nullptr;
    int stop_ = 1;
    bool tracking_ = false;
    bool dropTargetRegistered_ = false;
    mutable Korvel::Threading::CriticalSection itemsLock_;
    Korvel::Threading::CriticalSection stopLock_;
    Korvel::Threading::CriticalSection stepLock_;
    int generation_ = 0;                // of the loader whose turn it is
    std::vector<Korvel::Handle> loaders_;  // every loader thread not yet seen to end
    Korvel::UI::BackBuffer buffer_;
    Korvel::UI::Controls::ToolTip tooltip_;
    Korvel::UI::Controls::TextEditor captionEditor_;
};
