#include "ui/listview/ListViewItem.h"

#include <shlwapi.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "image/PhotoTime.h"
#include "image/Thumbnail.h"
#include "image/UploadPreparation.h"
#include "platform/FileInfo.h"
#include "platform/TextConv.h"
#include "ui/Drawing.h"
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

// The whole file, or nothing when it cannot be read or is larger than any picture we take.
std::vector<std::uint8_t> ReadWhole(const TString& path)
{
    std::ifstream in(std::filesystem::path(WideFromText(path)), std::ios::binary);
    if (!in) return {};
    in.seekg(0, std::ios::end);
    const std::streamoff length = in.tellg();
    if (length <= 0 || length > 0x7FFFFFFF) return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), length)) return {};
    return bytes;
}

std::shared_ptr<CxImage> ThumbnailOf(const std::uint8_t* data, std::size_t size, std::uint32_t format,
                                     std::uint32_t* width, std::uint32_t* height)
{
    Thumbnail thumb;
    if (!MakeThumbnail(data, size, format, ListViewItem::kThumbWidth, ListViewItem::kThumbHeight, thumb)) return nullptr;
    *width = thumb.width;
    *height = thumb.height;
    return std::shared_ptr<CxImage>(std::move(thumb.image));
}

TString FileNameOf(const TString& path)
{
    return TextFromWide<TChar>(std::filesystem::path(WideFromText(path)).filename().wstring());
}

bool Overlaps(const RECT& a, const RECT& b)
{
    RECT both;
    return ::IntersectRect(&both, &a, &b) != FALSE;
}

}  // namespace

ListViewItem::ListViewItem() : created_(std::time(nullptr)), shot_(created_) {}

// Caption and extension come from the name alone: a photo sends the same fields whether or
// not its picture has been read yet, and its full path never becomes its remark.
ListViewItem::ListViewItem(const TString& path)
    : size_(FileLength(path)),
      caption_(FileNameOf(path)),
      path_(path),
      extension_(FileExtension(path)),
      created_(std::time(nullptr)),
      shot_(created_)
{
}

ListViewItem::~ListViewItem() = default;

const TString& ListViewItem::GetTooltipText()
{
    if (!tooltip_.empty() || !IsLoaded()) return tooltip_;
    const int bytes = web_ ? size_ : static_cast<int>(Korvel::IO::FileInfo(WideFromText(path_)).Size());
    wchar_t size[20] = {};
    ::StrFormatByteSizeW(static_cast<LONGLONG>(bytes), size, 20);
    const unsigned width = PictureWidth(), height = PictureHeight();
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

ListViewItem::Loaded ListViewItem::ReadFile(const TString& path)
{
    Loaded loaded;
    const std::vector<std::uint8_t> bytes = ReadWhole(path);
    loaded.thumbnail = ThumbnailOf(bytes.data(), bytes.size(), CXIMAGE_FORMAT_UNKNOWN, &loaded.width, &loaded.height);
    return loaded;
}

void ListViewItem::Apply(Loaded loaded)
{
    {
        CriticalSection::Lock hold(imageLock_);
        image_ = std::move(loaded.thumbnail);
        bytes_.reset();
        fullWidth_ = loaded.width;
        fullHeight_ = loaded.height;
        turns_ = 0;
    }
    tooltip_.clear();
    SetLoaded(1);
}

bool ListViewItem::LoadFromPath(const TString& path)
{
    Apply(ReadFile(path));
    return HasPicture();
}

bool ListViewItem::LoadFromBytes(std::vector<std::uint8_t> bytes, std::uint32_t format)
{
    std::uint32_t width = 0, height = 0;
    std::shared_ptr<CxImage> thumb = ThumbnailOf(bytes.data(), bytes.size(), format, &width, &height);
    CriticalSection::Lock hold(imageLock_);
    image_ = std::move(thumb);
    bytes_ = image_ ? std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes)) : nullptr;
    format_ = format;
    fullWidth_ = width;
    fullHeight_ = height;
    turns_ = 0;
    return image_ != nullptr;
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
    web_ = picker.web_;
    SetLoaded(picker.IsLoaded());
    {
        CriticalSection::Lock theirs(picker.imageLock_);
        CriticalSection::Lock ours(imageLock_);
        image_ = std::move(picker.image_);
        bytes_ = std::move(picker.bytes_);
        format_ = picker.format_;
        fullWidth_ = picker.fullWidth_;
        fullHeight_ = picker.fullHeight_;
        turns_ = picker.turns_;
        picker.image_.reset();
    }
    state_ = 0;
}

void ListViewItem::RotateLeft()
{
    {
        CriticalSection::Lock hold(imageLock_);
        if (!image_) return;
        // Painters may hold the old thumbnail: turn a copy and swap it in.
        auto turned = std::make_shared<CxImage>(*image_);
        turned->RotateLeft();
        image_ = std::move(turned);
        turns_ = (turns_ + 3) % 4;
    }
    tooltip_.clear();
    InvalidateIfVisible();
}

void ListViewItem::RotateRight()
{
    {
        CriticalSection::Lock hold(imageLock_);
        if (!image_) return;
        auto turned = std::make_shared<CxImage>(*image_);
        turned->RotateRight();
        image_ = std::move(turned);
        turns_ = (turns_ + 1) % 4;
    }
    tooltip_.clear();
    InvalidateIfVisible();
}

int ListViewItem::Turns() const
{
    CriticalSection::Lock hold(imageLock_);
    return turns_;
}

int ListViewItem::EncodedSize() const
{
    // A GIF goes as its file: no need to decode it for its size.
    if (IsGifPassThrough(extension_)) return static_cast<int>(PreparedSize(nullptr, extension_, path_));
    PreparedPhoto scratch;
    return Source().Prepare(UploadSettings::Current(), scratch) ? static_cast<int>(scratch.bytes.Size()) : 0;
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

PictureSource ListViewItem::Source() const
{
    CriticalSection::Lock hold(imageLock_);
    PictureSource source;
    source.path = path_;
    source.bytes = bytes_;
    source.format = format_;
    source.turns = turns_;
    source.known = image_ != nullptr;
    return source;
}

std::shared_ptr<CxImage> PictureSource::Decode() const
{
    auto picture = std::make_shared<CxImage>();
    const bool decoded = bytes ? picture->Decode(bytes->data(), static_cast<std::uint32_t>(bytes->size()), format)
                               : !path.empty() && picture->LoadFile(WideFromText(path).c_str());
    if (!decoded) return nullptr;
    if (turns == 3) {
        picture->RotateLeft();
    } else {
        for (int i = 0; i < turns; ++i) picture->RotateRight();
    }
    return picture;
}

bool PictureSource::Prepare(const UploadSettings& settings, PreparedPhoto& photo) const
{
    if (bytes) {
        CxMemFile in(bytes->data(), bytes->size());
        return PrepareEncoded(in, format, turns, settings, photo);
    }
    CxIOFile in;
    return !path.empty() && in.Open(WideFromText(path).c_str(), L"rb") &&
           PrepareEncoded(in, CXIMAGE_FORMAT_UNKNOWN, turns, settings, photo);
}

std::uint32_t ListViewItem::PictureWidth() const
{
    CriticalSection::Lock hold(imageLock_);
    return turns_ % 2 ? fullHeight_ : fullWidth_;
}

std::uint32_t ListViewItem::PictureHeight() const
{
    CriticalSection::Lock hold(imageLock_);
    return turns_ % 2 ? fullWidth_ : fullHeight_;
}

void ListViewItem::PaintPicture(HDC dc, const RECT& box) const
{
    CriticalSection::Lock hold(imageLock_);
    if (!image_) return;
    const bool across = turns_ % 2 != 0;
    Korvel::UI::DrawImageFitted(dc, image_.get(), box, across ? fullHeight_ : fullWidth_,
                                across ? fullWidth_ : fullHeight_);
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
