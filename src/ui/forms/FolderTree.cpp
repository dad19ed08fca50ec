#include "ui/forms/FolderTree.h"

#include <shlwapi.h>

#include "platform/Module.h"

namespace Korvel::UI {

namespace {

const wchar_t kLoading[] = L"加载中...";

HTREEITEM Insert(HWND tree, HTREEITEM parent, const wchar_t* text, int icon, LPARAM data)
{
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(text);
    insert.item.iImage = icon;
    insert.item.iSelectedImage = icon;
    insert.item.lParam = data;
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM Next(HWND tree, HTREEITEM node, UINT relation)
{
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(node)));
}

}  // namespace

bool FolderTree::Create(HWND parent, const RECT& place, int id)
{
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&classes);
    tree_ = ::CreateWindowExW(0, WC_TREEVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, place.left,
                              place.top, place.right - place.left, place.bottom - place.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), nullptr);
    if (!tree_) return false;
    // The system's own list: shared, so the tree never destroys it.
    ::SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(icons_.Handle()));

    const Shell::Item& desktop = shell_.DesktopItem();
    const HTREEITEM root = Append(TVI_ROOT, desktop, 1);
    std::vector<const Shell::Item*> folders;
    shell_.ListDesktopFolders(folders);
    for (const Shell::Item* folder : folders) {
        const HTREEITEM node = Append(root, *folder, 0);
        AppendPlaceholder(node, folder->Icon());
        if (!computer_ && folder->DisplayName() == shell_.ComputerName()) computer_ = node;
    }
    ::SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
    return true;
}

HTREEITEM FolderTree::Append(HTREEITEM parent, const Shell::Item& item, int expanded)
{
    nodes_.push_back(std::make_unique<Node>(Node{expanded, &item}));
    return Insert(tree_, parent, item.DisplayName().c_str(), item.Icon(), reinterpret_cast<LPARAM>(nodes_.back().get()));
}

void FolderTree::AppendPlaceholder(HTREEITEM parent, int icon) { Insert(tree_, parent, kLoading, icon, 0); }

FolderTree::Node* FolderTree::NodeOf(HTREEITEM node) const
{
    TVITEMW item{};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = node;
    if (!node || !::SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<Node*>(item.lParam);
}

const Shell::Item* FolderTree::ItemOf(HTREEITEM node) const
{
    const Node* record = NodeOf(node);
    return record ? record->item : nullptr;
}

std::wstring FolderTree::SelectedPath() const
{
    const Shell::Item* item = ItemOf(Next(tree_, nullptr, TVGN_CARET));
    return item ? item->Path() : std::wstring();
}

bool FolderTree::HasSelection() const { return Next(tree_, nullptr, TVGN_CARET) != nullptr; }

void FolderTree::ListChildren(HTREEITEM node)
{
    Node* record = NodeOf(node);
    if (!record || record->expanded) return;
    if (HTREEITEM placeholder = Next(tree_, node, TVGN_CHILD))
        ::SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(placeholder));
    std::vector<const Shell::Item*> folders;
    shell_.ListSubfolders(*record->item, folders);
    for (const Shell::Item* folder : folders) AppendPlaceholder(Append(node, *folder, 0), folder->Icon());
    record->expanded = 1;
    // The drives keep the shell's order.
    if (record->item->DisplayName() == shell_.ComputerName()) return;
    TVSORTCB sort{node, &FolderTree::ComparePaths, 0};
    ::SendMessageW(tree_, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
}

// Folders without a path (virtual ones) first, then by path in the locale's order.
int CALLBACK FolderTree::ComparePaths(LPARAM first, LPARAM second, LPARAM)
{
    const auto* a = reinterpret_cast<const Node*>(first);
    const auto* b = reinterpret_cast<const Node*>(second);
    const std::wstring none;
    const std::wstring& pathA = a ? a->item->Path() : none;
    const std::wstring& pathB = b ? b->item->Path() : none;
    if (pathA.empty() || pathB.empty()) return (pathA.empty() ? 0 : 1) - (pathB.empty() ? 0 : 1);
    return ::lstrcmpW(pathA.c_str(), pathB.c_str());
}

void FolderTree::OpenNode(HTREEITEM node)
{
    ListChildren(node);
    ::SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
}

void FolderTree::GoTo(const std::wstring& folder)
{
    if (folder.empty() || !computer_) return;
    OpenNode(computer_);
    wchar_t root[MAX_PATH] = {};
    if (folder.size() >= MAX_PATH) return;
    folder.copy(root, folder.size());
    if (!::PathStripToRootW(root)) return;
    for (HTREEITEM drive = Next(tree_, computer_, TVGN_CHILD); drive; drive = Next(tree_, drive, TVGN_NEXT)) {
        const Shell::Item* item = ItemOf(drive);
        if (item && item->Path() == root) {
            bool found = false;
            Descend(drive, folder, &found);
            return;
        }
    }
}

void FolderTree::Descend(HTREEITEM node, const std::wstring& folder, bool* found)
{
    OpenNode(node);
    for (HTREEITEM child = Next(tree_, node, TVGN_CHILD); child && !*found; child = Next(tree_, child, TVGN_NEXT)) {
        const Shell::Item* item = ItemOf(child);
        if (!item || item->Path().empty()) continue;
        if (item->Path() == folder) {
            ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(child));
            ::SendMessageW(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(child));
            *found = true;
        } else if (folder.find(item->Path()) != std::wstring::npos) {
            Descend(child, folder, found);
        }
    }
}

bool FolderTree::OnNotify(const NMHDR* header, LRESULT* result)
{
    if (!header || header->hwndFrom != tree_) return false;
    // The item fields sit at the same places in the ANSI and the wide notification.
    const auto* change = reinterpret_cast<const NMTREEVIEWW*>(header);
    switch (header->code) {
    case TVN_ITEMEXPANDINGW:
    case TVN_ITEMEXPANDINGA:
        if (change->action & TVE_EXPAND) ListChildren(change->itemNew.hItem);
        *result = FALSE;
        return true;
    case TVN_SELCHANGEDW:
    case TVN_SELCHANGEDA:
        if (FolderSelected) {
            const Shell::Item* item = ItemOf(change->itemNew.hItem);
            FolderSelected(item ? item->Path() : std::wstring());
        }
        *result = 0;
        return true;
    default:
        return false;
    }
}

}  // namespace Korvel::UI
