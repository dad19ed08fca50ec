#pragma once
// The shell namespace as the picker's folder tree shows it: the desktop, its folders and
// their subfolders, each with its display name, path, type name and small icon.
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Handle.h"

namespace Korvel::Shell {

// An absolute item identifier list, freed once by the allocator that made it.
class IdList {
public:
    IdList() = default;
    IdList(ComPtr<IMalloc> allocator, LPITEMIDLIST list) : allocator_(std::move(allocator)), list_(list) {}
    ~IdList() { Reset(); }
    IdList(IdList&& other) noexcept
        : allocator_(std::move(other.allocator_)), list_(std::exchange(other.list_, nullptr)) {}
    IdList& operator=(IdList&& other) noexcept;
    IdList(const IdList&) = delete;
    IdList& operator=(const IdList&) = delete;

    LPCITEMIDLIST Get() const { return list_; }
    explicit operator bool() const { return list_ != nullptr; }
    void Reset();

    // Bytes of a list up to its terminator, without (Size) or with (SizeWithEnd) it.
    static UINT Size(LPCITEMIDLIST list);
    static UINT SizeWithEnd(LPCITEMIDLIST list) { return list ? Size(list) + 2 : 0; }
    // first followed by second, allocated with the allocator; a copy of first when there is
    // no second, nothing when there is no first.
    static IdList Join(const ComPtr<IMalloc>& allocator, LPCITEMIDLIST first, LPCITEMIDLIST second);

private:
    ComPtr<IMalloc> allocator_;
    LPITEMIDLIST list_ = nullptr;
};

// One shell object: a folder, a drive or a virtual folder.
class Item {
public:
    virtual ~Item() = default;
    Item(const Item&) = delete;
    Item& operator=(const Item&) = delete;

    const std::wstring& DisplayName() const { return displayName_; }
    // Empty for a folder with no file-system path (Control Panel and the like).
    const std::wstring& Path() const { return path_; }
    const std::wstring& TypeName() const { return typeName_; }
    // Index into the system small-icon list.
    int Icon() const { return icon_; }
    LPCITEMIDLIST IdentifierList() const { return ids_.Get(); }

private:
    friend class DesktopFolder;
    explicit Item(IdList ids);

    std::wstring displayName_;
    std::wstring path_;
    std::wstring typeName_;
    int icon_ = 0;
    IdList ids_;
};

// The entry to the namespace. It owns every item it hands out; they live as long as it does.
class DesktopFolder {
public:
    DesktopFolder();
    virtual ~DesktopFolder() = default;
    DesktopFolder(const DesktopFolder&) = delete;
    DesktopFolder& operator=(const DesktopFolder&) = delete;

    const Item& DesktopItem() const { return *desktopItem_; }
    // Display name of the folder that holds the drives; empty when the shell has none.
    const std::wstring& ComputerName() const { return computerName_; }
    // The desktop's folders (no files, no hidden objects), appended to out in shell order.
    void ListDesktopFolders(std::vector<const Item*>& out);
    // An item's subfolders; nothing when the item cannot be opened as a folder.
    void ListSubfolders(const Item& item, std::vector<const Item*>& out);

private:
    void ListChildren(IShellFolder* folder, LPCITEMIDLIST parent, std::vector<const Item*>& out);

    ComPtr<IMalloc> allocator_;
    ComPtr<IShellFolder> desktop_;
    std::unique_ptr<Item> desktopItem_;
    std::wstring computerName_;
    std::vector<std::unique_ptr<Item>> created_;
};

// The system's small-icon image list (shared by the whole system; never destroyed).
class SystemIconList {
public:
    SystemIconList();
    virtual ~SystemIconList() = default;
    HIMAGELIST Handle() const { return list_; }

private:
    HIMAGELIST list_ = nullptr;
};

}  // namespace Korvel::Shell
