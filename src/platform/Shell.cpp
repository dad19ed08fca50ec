#include "platform/Shell.h"

#include <shellapi.h>

#include <cstring>

namespace Korvel::Shell {

IdList& IdList::operator=(IdList&& other) noexcept
{
    if (this != &other) {
        Reset();
        allocator_ = std::move(other.allocator_);
        list_ = std::exchange(other.list_, nullptr);
    }
    return *this;
}

void IdList::Reset()
{
    if (LPITEMIDLIST old = std::exchange(list_, nullptr); old && allocator_) allocator_->Free(old);
    allocator_.Reset();
}

UINT IdList::Size(LPCITEMIDLIST list)
{
    UINT size = 0;
    if (!list) return 0;
    for (auto* at = reinterpret_cast<const BYTE*>(list);;) {
        USHORT count;
        std::memcpy(&count, at, sizeof count);  // items need not be aligned
        if (count == 0) return size;
        size += count;
        at += count;
    }
}

IdList IdList::Join(const ComPtr<IMalloc>& allocator, LPCITEMIDLIST first, LPCITEMIDLIST second)
{
    if (!first || !allocator) return {};
    const UINT head = Size(first), tail = second ? SizeWithEnd(second) : 2;
    auto* joined = static_cast<BYTE*>(allocator->Alloc(head + tail));
    if (!joined) return {};
    std::memcpy(joined, first, head);
    if (second)
        std::memcpy(joined + head, second, tail);
    else
        std::memset(joined + head, 0, 2);
    return IdList(allocator, reinterpret_cast<LPITEMIDLIST>(joined));
}

Item::Item(IdList ids) : ids_(std::move(ids))
{
    SHFILEINFOW info{};
    if (::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(ids_.Get()), 0, &info, sizeof info,
                         SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) {
        displayName_ = info.szDisplayName;
        typeName_ = info.szTypeName;
        icon_ = info.iIcon;
    }
    wchar_t path[MAX_PATH] = {};
    if (::SHGetPathFromIDListW(ids_.Get(), path)) path_ = path;
}

DesktopFolder::DesktopFolder()
{
    ::SHGetDesktopFolder(desktop_.put());
    ::SHGetMalloc(allocator_.put());
    // The empty list names the desktop itself.
    IdList empty;
    if (allocator_) {
        if (auto* bytes = static_cast<BYTE*>(allocator_->Alloc(2))) {
            std::memset(bytes, 0, 2);
            empty = IdList(allocator_, reinterpret_cast<LPITEMIDLIST>(bytes));
        }
    }
    desktopItem_.reset(new Item(std::move(empty)));

    LPITEMIDLIST drives = nullptr;
    if (SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives)) && drives) {
        // The shell made this list with its task allocator, which SHGetMalloc hands out.
        const IdList owned(allocator_, drives);
        SHFILEINFOW info{};
        if (::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(owned.Get()), 0, &info, sizeof info,
                             SHGFI_PIDL | SHGFI_DISPLAYNAME))
            computerName_ = info.szDisplayName;
    }
}

void DesktopFolder::ListDesktopFolders(std::vector<const Item*>& out)
{
    if (desktop_) ListChildren(desktop_.Get(), desktopItem_->IdentifierList(), out);
}

void DesktopFolder::ListSubfolders(const Item& item, std::vector<const Item*>& out)
{
    if (!desktop_ || !item.IdentifierList()) return;
    ComPtr<IShellFolder> folder;
    if (IdList::Size(item.IdentifierList()) == 0) {
        folder = desktop_;
    } else if (FAILED(desktop_->BindToObject(item.IdentifierList(), nullptr, IID_IShellFolder, folder.put_void())) ||
               !folder) {
        return;
    }
    ListChildren(folder.Get(), item.IdentifierList(), out);
}

void DesktopFolder::ListChildren(IShellFolder* folder, LPCITEMIDLIST parent, std::vector<const Item*>& out)
{
    ComPtr<IEnumIDList> children;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS, children.put()) != S_OK || !children) return;
    for (;;) {
        LPITEMIDLIST child = nullptr;
        ULONG fetched = 0;
        if (children->Next(1, &child, &fetched) != S_OK || fetched == 0 || !child) break;
        const IdList relative(allocator_, child);
        IdList absolute = IdList::Join(allocator_, parent, relative.Get());
        if (!absolute) continue;
        created_.emplace_back(new Item(std::move(absolute)));
        out.push_back(created_.back().get());
    }
}

SystemIconList::SystemIconList()
{
    SHFILEINFOW info{};
    list_ = reinterpret_cast<HIMAGELIST>(::SHGetFileInfoW(L"*.txt", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                                                          SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX |
                                                              SHGFI_SMALLICON));
}

}  // namespace Korvel::Shell
