#pragma once
// One picture in a list view: the queue record the upload reads and updates, and how the
// picture is drawn and acted on in the grid. An item keeps its source (the file's path, or
// the downloaded bytes), the full picture's size, its quarter turns and a thumbnail for the
// screen; the full picture is decoded again only while someone needs it.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "image/CxImage.h"
#include "image/UploadPreparation.h"
#include "platform/Text.h"
#include "platform/Threading.h"
#include "ui/EventArgs.h"
#include "ui/IElement.h"

class ListView;

// Where an item's full picture comes from, copied out so that another thread can decode it
// while the item changes or goes.
struct PictureSource {
    TString path;                                              // the file, unless bytes
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;    // a downloaded picture
    std::uint32_t format = 0;                                  // of bytes
    int turns = 0;                                             // quarter turns to the right
    bool known = false;                                        // a picture was seen there
    // Decoded and turned; null when it cannot be read (any more).
    std::shared_ptr<CxImage> Decode() const;
    // The upload bytes of the decoded, turned picture, straight from the source: a photo
    // shrunk into the box is prepared while it decodes, never held at full size. False when
    // it cannot be read (any more).
    bool Prepare(const UploadSettings& settings, PreparedPhoto& photo) const;
};

class ListViewItem : public Korvel::UI::IElement {
public:
    enum StateBits : int { Hover = 1, Selected = 2 };

    ListViewItem();
    // A record for a local file: its size is measured now; caption and extension are the
    // file's name and its extension.
    explicit ListViewItem(const TString& path);
    ~ListViewItem() override;
    ListViewItem(const ListViewItem&) = delete;
    ListViewItem& operator=(const ListViewItem&) = delete;

    virtual const TString& GetTooltipText();
    virtual void SetState(int bits);
    // The bounds in window coordinates at the given scroll position.
    virtual RECT GetViewRect(int scroll) const;
    // Tool index 0-3: its text and rectangle (list coordinates); false when there is none.
    virtual bool GetToolInfo(int index, TString* text, RECT* rect);
    virtual bool HitButton(POINT point) const { (void)point; return false; }
    virtual void EndEdit() {}
    void Paint(Korvel::UI::CPaintEventArgs& e, int scroll);
    virtual void PaintAt(Korvel::UI::CPaintEventArgs& e, const RECT& rect);
    virtual bool SamePath(const ListViewItem* other) const { return other && path_ == other->path_; }
    virtual bool HasPath(const TString& path) const { return path_ == path; }
    virtual void Select();
    virtual int GetFileSize() const;
    virtual void AddFileSize(int* total) const;
    virtual void OnMouseDown(POINT point);
    virtual void OnMouseUp(POINT point) { (void)point; }
    virtual void OnMouseMove(POINT point);
    virtual void OnMouseLeave();

    // What loading a file gives, made without touching the item (the loader makes it
    // outside the list's lock and applies it under it).
    struct Loaded {
        std::shared_ptr<CxImage> thumbnail;
        std::uint32_t width = 0, height = 0;
    };
    static Loaded ReadFile(const TString& path);
    // The thumbnail and the picture's size from the file. Marks the item loaded, whether or
    // not the file held a picture.
    void Apply(Loaded loaded);
    bool LoadFromPath(const TString& path);
    // A downloaded picture: its bytes stay the source. False when they are no picture.
    bool LoadFromBytes(std::vector<std::uint8_t> bytes, std::uint32_t format);
    void ReadTimes();
    void CopyFrom(ListViewItem& picker);
    void RotateLeft();
    void RotateRight();
    // Quarter turns to the right, 0 to 3.
    int Turns() const;
    int EncodedSize() const;
    // Repaints the item where it shows, if it shows; safe from the loader thread.
    void InvalidateIfVisible() const;

    // The thumbnail for painting, shared so a painter keeps it while the loader replaces it.
    std::shared_ptr<CxImage> GetImage() const;
    // The full picture decoded from the source and turned as the item shows it; null when
    // the source is gone or no picture. Safe from any thread.
    std::shared_ptr<CxImage> LoadPicture() const { return Source().Decode(); }
    PictureSource Source() const;
    // The full picture's size as shown (after the turns); 0 x 0 without a picture.
    std::uint32_t PictureWidth() const;
    std::uint32_t PictureHeight() const;
    bool HasPicture() const { return GetImage() != nullptr; }
    // The longest sides of a thumbnail.
    static constexpr std::uint32_t kThumbWidth = 296, kThumbHeight = 240;
    void SetSize(int size) { size_ = size; }
    int GetSize() const { return size_; }
    void SetWeb(int web) { web_ = web; }
    int IsWeb() const { return web_; }
    const TString& GetExtension() const { return extension_; }
    void SetExtension(const TString& extension) { extension_ = extension; }
    const TString& GetCaption() const { return caption_; }
    void SetCaption(const TString& caption)
    {
        caption_ = caption;
        tooltip_.clear();
    }
    const TString& GetPath() const { return path_; }
    void SetChecked(int checked);
    int IsChecked() const { return checked_; }
    int IsLoaded() const;
    void SetLoaded(int loaded);
    std::int64_t Created() const { return created_; }
    std::int64_t Shot() const { return shot_; }
    void SetOwner(ListView* owner) { owner_ = owner; }
    ListView* Owner() const { return owner_; }
    bool IsSelected() const { return (state_ & Selected) != 0; }
    bool IsHovered() const { return (state_ & Hover) != 0; }

protected:
    // The thumbnail drawn at the size the full picture would be drawn at in the box.
    void PaintPicture(HDC dc, const RECT& box) const;

    // Held while the thumbnail, the source or the turns change, and while painting.
    mutable Korvel::Threading::CriticalSection imageLock_;

    int checked_ = 0;
    int loaded_ = 0;
    int web_ = 0;
    int size_ = 0;
    ListView* owner_ = nullptr;
    std::shared_ptr<CxImage> image_;  // the thumbnail
    std::shared_ptr<const std::vector<std::uint8_t>> bytes_;  // a web picture's source
    std::uint32_t format_ = 0;        // format code of bytes_
    std::uint32_t fullWidth_ = 0, fullHeight_ = 0;  // unturned
    int turns_ = 0;
    TString caption_;
    TString tooltip_;
    TString path_;
    TString extension_ = SF_T("jpg");
    std::int64_t created_;
    std::int64_t shot_;
    mutable Korvel::Threading::CriticalSection stateLock_;
};

