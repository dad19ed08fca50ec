// Photos coming into the panel: files dropped on the panel itself, the grid's own drops and
// removals, and the looks and tools that follow the selection.
#include "Biz/ConfigMgr.h"
#include "panel/UploadPanel.h"
#include "platform/TextConv.h"
#include "ui/forms/ImageViewForm.h"
#include "ui/listview/ListViewPostItem.h"

void UploadPanel::OnDropFiles(HDROP files)
{
    // During a run the list belongs to the run; photos added now would be dropped unsent.
    if (running_) return;
    int count = ImageList.Count();
    const UINT dropped = ::DragQueryFileW(files, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < dropped; ++i) {
        // Longer names would arrive cut short, naming some other file or none.
        if (::DragQueryFileW(files, i, nullptr, 0) > 254) continue;
        wchar_t path[255] = {};
        ::DragQueryFileW(files, i, path, 255);
        if (!ListView::IsDroppableImage(path)) continue;
        const TString name = Korvel::Text::TextFromWide<TChar>(path);
        if (ImageList.ContainsPath(name)) continue;
        ImageList.AddItem(new ListViewPostItem(name));
        // The photo that reaches the limit stays; the rest of the drop does not come in.
        if (++count >= ConfigMgr::Instance()->MaxImageCount()) {
            ShowMessage(Messages::kTooManySelected);
            break;
        }
    }
    ImageList.Arrange();
    ImageList.UpdateScrollBar();
    ImageList.RepaintAll();
    ShowLook();
    ImageList.StartLoader();
}

void UploadPanel::OnSelectionChanged(int)
{
    const bool none = ImageList.GetSelection().empty();
    // During a run the tools stay off whatever is selected.
    EnableTools(!none && !running_);
    if (none) SelectAllBox.SetChecked(0);
}

void UploadPanel::OnItemRemoved(int)
{
    if (ImageList.IsEmpty()) ShowLook();
}

void UploadPanel::OnDropAdded()
{
    if (!ImageList.IsEmpty() && !ImageList.IsVisible()) ShowLook();
}

void UploadPanel::OnItemActivated(ListViewItem* item)
{
    (new ImageViewForm(item))->Open();
}
