#include "ui/listview/ListViewItem.h"

#include <shlwapi.h>

#include <ctime>
#include <filesystem>

#include "image/PhotoTime.h"
#include "image/UploadPreparation.h"
#include "platform/FileInfo.h"
#include "platform/TextConv.h"
#include "ui/listview/ListView.h"

using Korvel::Text::TextFromWide;
using Korvel::Text::WideFromText;
using Korvel::Threading::CriticalSection;

namespace {

// The file's length now, 0 when it cannot be read; measured without reporting, since a
// file dropped and then deleted is not worth a message box.
int FileLength(const TString& path)
{
    std::error_code error;
    const auto length = std::filesystem::file_size(std::filesystem::path(WideFromText(path)), error);
    return error || length > 0x7FFFFFFF ? 0 : static_cast<int>(length);
}

bool Overlaps(const RECT& a, const RECT& b)
{
    RECT both;
    return ::IntersectRect(&both, &a, &b) != FALSE;
}

}  // namespace

ListViewItem::ListViewItem() : created_(std::time(nullptr)), shot_(created_) {}

ListViewItem::ListViewItem(const TString& path)
    : size_(FileLength(path)), caption_(path), path_(path), extension_(), created_(std::time(nullptr)), shot_(created_)
{
}

ListViewItem::~ListViewItem() = default;

const TString& ListViewItem::GetTooltipText()
{
    if (!tooltip_.empty() || !IsLoaded()) return tooltip_;
    const int bytes = web_ ? size_ : static_cast<int>(Korvel::IO::FileInfo(WideFromText(path_)).Size());
    wchar_t size[20] = {};
    ::StrFormatByteSizeW(static_cast<LONGLONG>(bytes), size, 20);
    const std::shared_ptr<CxImage> image = GetImage();
    const unsigned width = image ? image->Width() : 0, height = image ? image->Height() : 0;
    const std::wstring text = L"文件名称：" + WideFromText(caption_) + L"\n文件大小：" + size + L"\n图片宽度：" +
                              std::to_wstring(width) + L"px\n图片高度：" + std::to_wstring(height) + L"px";
    tooltip_ = TextFromWide<TChar>(text);
    return tooltip_;
}

void ListViewItem::SetState(int bits)
{
    state_ = bits;
    InvalidateIfVisible();
}

RECT ListViewItem::GetViewRect(int scroll) const
{
    RECT r = bounds_;
    ::OffsetRect(&r, 0, -scroll);
    return r;
}

bool ListViewItem::GetToolInfo(int index, TString* text, RECT* rect)
{
    (void)index;
    *text = GetTooltipText();
    *rect = bounds_;
    return true;
}

void ListViewItem::Paint(Korvel::UI::CPaintEventArgs& e, int scroll)
{
    PaintAt(e, GetViewRect(scroll));
}

void ListViewItem::PaintAt(Korvel::UI::CPaintEventArgs&, const RECT&) {}

void ListViewItem::Select()
{
    state_ |= Selected;
    InvalidateIfVisible();
}

int ListViewItem::GetFileSize() const { return FileLength(path_); }

void ListViewItem::AddFileSize(int* total) const
{
    // Summed over a whole list, so it adds rather than replaces.
    *total += FileLength(path_);
}

void ListViewItem::OnMouseDown(POINT point)
{
    if (::PtInRect(&bounds_, point)) {
        state_ |= Selected;
    } else {
        state_ = 0;
    }
    InvalidateIfVisible();
}

void ListViewItem::OnMouseMove(POINT point)
{
    const bool inside = ::PtInRect(&bounds_, point) != FALSE;
    if (inside == IsHovered()) return;
    state_ = inside ? (state_ | Hover) : (state_ & ~Hover);
    InvalidateIfVisible();
}

void ListViewItem::OnMouseLeave()
{
    state_ &= ~Hover;
    InvalidateIfVisible();
}

bool ListViewItem::LoadFromPath(const TString& path)
{
    extension_ = FileExtension(path);
    caption_ = TextFromWide<TChar>(std::filesystem::path(WideFromText(path)).filename().wstring());
    auto image = std::make_shared<CxImage>();
    const bool decoded = image->LoadFile(WideFromText(path).c_str());
    SetImage(decoded ? std::move(image) : nullptr);
    return decoded;
}

void ListViewItem::ReadTimes()
{
    if (web_) return;
    created_ = Korvel::IO::FileInfo(WideFromText(path_)).CreationTime();
    shot_ = PhotoTime(path_);
}

void ListViewItem::CopyFrom(ListViewItem& picker)
{
    caption_ = picker.caption_;
    path_ = picker.path_;
    checked_ = picker.checked_;
    size_ = picker.size_;
    extension_ = picker.extension_;
    SetLoaded(picker.IsLoaded());
    {
        CriticalSection::Lock hold(picker.imageLock_);
        SetImage(std::move(picker.image_));
        picker.image_.reset();
    }
    state_ = 0;
}

void ListViewItem::RotateLeft()
{
    {
        CriticalSection::Lock hold(imageLock_);
        if (!image_) return;
        image_->RotateLeft();
    }
    InvalidateIfVisible();
}

void ListViewItem::RotateRight()
{
    {
        CriticalSection::Lock hold(imageLock_);
        if (!image_) return;
        image_->RotateRight();
    }
    InvalidateIfVisible();
}

int ListViewItem::EncodedSize() const
{
    CriticalSection::Lock hold(imageLock_);
    return static_cast<int>(PreparedSize(image_.get(), extension_, path_));
}

void ListViewItem::InvalidateIfVisible() const
{
    HWND wnd = owner_ ? owner_->GetWindowHandle() : nullptr;
    if (!wnd) return;
    RECT client;
    ::GetClientRect(wnd, &client);
    const int scroll = owner_->ScrollPosition();
    const RECT band{bounds_.left, scroll, bounds_.right, scroll + client.bottom};
    if (!Overlaps(bounds_, band)) return;
    const RECT view = GetViewRect(scroll);
    ::InvalidateRect(wnd, &view, FALSE);
}

std::shared_ptr<CxImage> ListViewItem::GetImage() const
{
    CriticalSection::Lock hold(imageLock_);
    return image_;
}

void ListViewItem::SetImage(std::shared_ptr<CxImage> image)
{
    CriticalSection::Lock hold(imageLock_);
    image_ = std::move(image);
}

void ListViewItem::SetChecked(int checked)
{
    checked_ = checked;
    InvalidateIfVisible();
}

int ListViewItem::IsLoaded() const
{
    CriticalSection::Lock hold(stateLock_);
    return loaded_;
}

void ListViewItem::SetLoaded(int loaded)
{
    CriticalSection::Lock hold(stateLock_);
    loaded_ = loaded;
}
