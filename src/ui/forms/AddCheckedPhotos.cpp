#include "ui/forms/AddCheckedPhotos.h"

#include <vector>

#include "Biz/ConfigMgr.h"
#include "ui/forms/MessageDialog.h"
#include "ui/listview/ListView.h"
#include "ui/listview/ListViewPostItem.h"

int AddCheckedPhotos(ListView& picker, ListView& target, HWND owner)
{
    // The loader may be decoding a photo we are about to take the picture of.
    picker.StopLoader();
    if (picker.CountChecked() == 0) return 0;
    std::vector<ListViewItem*> checked;
    picker.CopyChecked(checked);
    const int fileLimit = ConfigMgr::Instance()->PostFileLimit();
    int queued = target.Count(), added = 0;
    for (ListViewItem* photo : checked) {
        if (target.ContainsSameFile(photo)) continue;
        if (queued >= kPickerCap || (fileLimit != 0 && queued >= fileLimit)) {
            CMessageDialog message;
            message.SetMessage(Messages::kTooManyFiles);
            message.ShowModal(owner);
            break;
        }
        auto* item = new ListViewPostItem();
        item->CopyFrom(*photo);
        item->ReadTimes();
        target.AddItem(item);
        ++queued;
        ++added;
    }
    target.StartLoader();
    return added;
}
