#pragma once
// An item of the upload panel: delete, rotate, view and caption buttons on hover, and the
// upload progress over the picture while a run is going.
#include "ui/listview/ListViewItem.h"
#include "ui/sigslot.h"

class ListViewPostItem : public ListViewItem, public sigslot::has_slots<> {
public:
    ListViewPostItem() = default;
    // A local photo; the list's loader makes its thumbnail.
    explicit ListViewPostItem(const TString& path);
    // A downloaded picture: its bytes and their format code.
    ListViewPostItem(const TString& address, const std::uint8_t* bytes, std::uint32_t length, std::uint32_t format);

    void SetBounds(const RECT& bounds) override;
    bool GetToolInfo(int index, TString* text, RECT* rect) override;
    bool HitButton(POINT point) const override;
    void EndEdit() override;
    void PaintAt(Korvel::UI::CPaintEventArgs& e, const RECT& rect) override;
    void OnMouseDown(POINT point) override;
    void OnMouseUp(POINT point) override;
    virtual RECT ThumbRect(const RECT& r) const { return RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 30}; }
    virtual RECT CaptionRect(const RECT& r) const { return RECT{r.left + 3, r.top + 120, r.right, r.bottom}; }

    // The button under a point (list coordinates), or an empty rectangle.
    RECT ButtonAt(POINT point) const;
    // A button by name (delete, rotateleft, rotateright, view, caption), list coordinates.
    bool NamedButton(const wchar_t* name, RECT* rect) const;
    void BeginEdit();
    void SetSent(int bytes) { sent_ = bytes; }
    void ResetSent() { sent_ = 0; }
    int Sent() const { return sent_; }
    void MarkUploaded();
    bool IsUploaded() const { return uploaded_ != 0; }
    void RemoveSelf();
    // Where the progress strip lies for a given item rectangle.
    static RECT ProgressStrip(const RECT& r) { return RECT{r.left + 1, r.top + 96, r.right - 1, r.bottom - 30}; }

private:
    void PaintProgress(HDC dc, const RECT& r) const;
    void PaintButtons(HDC dc, const RECT& r) const;

    BYTE uploaded_ = 0;
    int sent_ = 0;
    RECT delete_{}, rotateLeft_{}, rotateRight_{}, view_{}, captionEdit_{};
};
