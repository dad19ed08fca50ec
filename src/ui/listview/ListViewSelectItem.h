#pragma once
// An item of the add-images picker: a picture that is chosen (checked) or not.
#include "ui/listview/ListViewItem.h"

class ListViewSelectItem : public ListViewItem {
public:
    // No picture until the list's loader decodes the file.
    explicit ListViewSelectItem(const TString& path) : ListViewItem(path) {}

    void PaintAt(Korvel::UI::CPaintEventArgs& e, const RECT& rect) override;
    void Select() override;
    void AddFileSize(int* total) const override;
    void OnMouseDown(POINT point) override;
};
