#pragma once
// The picker's folder tree: a native tree view of the shell namespace from the desktop
// down. A folder's subfolders are listed the first time it opens; until then it holds one
// "加载中..." placeholder so that it shows an expand button.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace Korvel::UI {

class FolderTree {
public:
    FolderTree() = default;
    FolderTree(const FolderTree&) = delete;
    FolderTree& operator=(const FolderTree&) = delete;

    // Creates the tree view as a child of parent and fills in the desktop and its folders.
    bool Create(HWND parent, const RECT& place, int id);
    // Opens the tree down to a folder (found by exact, case-sensitive paths from its drive)
    // and selects it; nothing when it is empty or not found.
    void GoTo(const std::wstring& folder);
    // The tree's notifications, which arrive at its parent; true when answered.
    bool OnNotify(const NMHDR* header, LRESULT* result);

    // A folder was selected; its path is empty for a virtual folder.
    std::function<void(const std::wstring& path)> FolderSelected;

    HWND Handle() const { return tree_; }
    HTREEITEM ComputerNode() const { return computer_; }
    // The folder a node stands for; null for a placeholder.
    const Shell::Item* ItemOf(HTREEITEM node) const;
    std::wstring SelectedPath() const;
    bool HasSelection() const;

private:
    struct Node {
        int expanded;
        const Shell::Item* item;
    };

    HTREEITEM Append(HTREEITEM parent, const Shell::Item& item, int expanded);
    void AppendPlaceholder(HTREEITEM parent, int icon);
    Node* NodeOf(HTREEITEM node) const;
    void ListChildren(HTREEITEM node);
    void OpenNode(HTREEITEM node);
    void Descend(HTREEITEM node, const std::wstring& folder, bool* found);
    static int CALLBACK ComparePaths(LPARAM first, LPARAM second, LPARAM);

    HWND tree_ = nullptr;
    Shell::DesktopFolder shell_;
    Shell::SystemIconList icons_;
    std::vector<std::unique_ptr<Node>> nodes_;
    HTREEITEM computer_ = nullptr;
};

}  // namespace Korvel::UI
