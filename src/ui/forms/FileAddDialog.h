#pragma once
// The photo picker: the shell's folder tree beside a grid of the selected folder's pictures
// with check marks. Confirming appends the checked pictures to a target list. Every folder
// the user selects becomes the DefaultFolder the next picker opens at.
#include <string>

#include "ui/controls/Button.h"
#include "ui/controls/CheckBox.h"
#include "ui/controls/Label.h"
#include "ui/forms/ExtForm.h"
#include "ui/forms/FolderTree.h"
#include "ui/forms/ModalDialog.h"
#include "ui/listview/ListView.h"
#include "ui/sigslot.h"

class CFileAddDialog : public Korvel::UI::ModalDialog,
                       public Korvel::UI::ExtForm,
                       public sigslot::has_slots<> {
public:
    // Ends with 0 after OK, Cancel or the close button, 1 after Enter and 2 after Esc.
    explicit CFileAddDialog(HWND centre) : centre_(centre) {}
    void SetTargetList(ListView* list) { target_ = list; }
    void PaintFrame(Korvel::UI::CPaintEventArgs& e) override;

    // What a tool or a test drives and reads.
    ListView& Picker() { return picker_; }
    Korvel::UI::FolderTree& Tree() { return tree_; }
    const Korvel::UI::Controls::CheckBox& SelectAllBox() const { return selectAll_; }
    const Korvel::UI::Controls::Button& OkButton() const { return ok_; }
    const Korvel::UI::Controls::Button& CancelButton() const { return cancel_; }
    const std::wstring& SelectionText() const { return selection_.Text(); }
    const std::wstring& SizeText() const { return size_.Text(); }

    // "共0.00KB" below 1 KiB, "共1.50KB" below 1 MiB, "3.00MB" from there.
    static std::wstring SizeLabel(int bytes);
    static constexpr int kWidth = 820, kHeight = 520;
    // The control identifier of the tree view.
    static constexpr int kTreeId = 3;

protected:
    bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void OnInitDialog();
    void ShowFolder(const std::wstring& folder);
    void UpdateLabels();
    void OnPickerSelection(int) { UpdateLabels(); }
    void OnSelectAll();
    void OnConfirm();
    void OnCancel() { Close(0); }
    // Stops the picker's loader before the picker's items go with the window.
    void Close(INT_PTR result);

    HWND centre_;
    Korvel::UI::Controls::Button cancel_;
    Korvel::UI::Controls::Button ok_;
    Korvel::UI::Controls::Button close_;
    Korvel::UI::Controls::CheckBox selectAll_;
    Label selection_;
    Label size_;
    ListView picker_;
    ListView* target_ = nullptr;
    Korvel::UI::FolderTree tree_;
};
