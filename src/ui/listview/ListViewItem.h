#pragma once
// One picture in a list view: the queue record the upload reads and updates, and how the
// picture is drawn and acted on in the grid.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "image/CxImage.h"
#include "platform/Text.h"
#include "platform/Threading.h"
#include "ui/EventArgs.h"
#include "ui/IElement.h"

class ListView;

class ListViewItem : public Korvel::UI::IElement {
public:
    enum StateBits : int { Hover = 1, Selected = 2 };

    ListViewItem();
    // A record for a local file: its size is measured now, the caption is the path.
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

    // Decodes the file (on the loader thread too): extension, caption = file name, picture.
    bool LoadFromPath(const TString& path);
    void ReadTimes();
    void CopyFrom(ListViewItem& picker);
    void RotateLeft();
    void RotateRight();
    int EncodedSize() const;
    // Repaints the item where it shows, if it shows; safe from the loader thread.
    void InvalidateIfVisible() const;

    // The picture, shared so a viewer keeps showing it after the item is gone; replaced
    // whole (never changed under a reader) by the loader.
    std::shared_ptr<CxImage> GetImage() const;
    void SetImage(std::shared_ptr<CxImage> image);
    void SetSize(int size) { size_ = size; }
    int GetSize() const { return size_; }
    void SetWeb(int web) { web_ = web; }
    int IsWeb() const { return web_; }
    const TString& GetExtension() const { return extension_; }
    void SetExtension(const TString& extension) { extension_ = extension; }
    const TString& GetCaption() const { return caption_; }
    void SetCaption(const TString& caption) { caption_ = caption; }
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
    // Held while the picture is replaced or painted.
    mutable Korvel::Threading::CriticalSection imageLock_;

    int checked_ = 0;
    int loaded_ = 0;
    int web_ = 0;
    int size_ = 0;
    ListView* owner_ = nullptr;
    std::shared_ptr<CxImage> image_;
    TString caption_;
    TString tooltip_;
    TString path_;
    TString extension_ = SF_T("jpg");
    std::int64_t created_;
    std::int64_t shot_;
    mutable Korvel::Threading::CriticalSection stateLock_;
};

