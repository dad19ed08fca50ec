#include "ui/forms/FileAddDialog.h"

#include <shlwapi.h>

#include <cwchar>

#include "Biz/ConfigMgr.h"
#include "platform/Handle.h"
#include "platform/TextConv.h"
#include "ui/Drawing.h"
#include "ui/forms/AddCheckedPhotos.h"
#include "ui/forms/CenterOnOwner.h"
#include "ui/forms/DialogButtons.h"
#include "ui/listview/ListViewSelectItem.h"

using namespace Korvel::UI;
using Korvel::Text::TextFromWide;
using Korvel::Text::WideFromText;

namespace {

const wchar_t kNoSize[] = L"共0.00KB";
const wchar_t kNoneSelected[] = L"当前选择0/0张照片";

// The four kinds of picture the picker lists, by the text from the last dot of the name.
bool IsListedPicture(const wchar_t* name)
{
    const wchar_t* extension = ::PathFindExtensionW(name);
    for (const wchar_t* listed : {L".gif", L".png", L".jpg", L".bmp"})
        if (::lstrcmpiW(extension, listed) == 0) return true;
    return false;
}

}  // namespace

bool CFileAddDialog::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (message) {
    case WM_INITDIALOG:
        // With a folder selected, the focus goes to the tree, which then shows the selection;
        // without one it stays away: a tree taking the focus selects its first folder.
        OnInitDialog();
        *result = tree_.HasSelection() ? FALSE : TRUE;
        return true;
    case WM_COMMAND:
        // Enter and Esc come as the dialog's OK and Cancel commands.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) Close(LOWORD(wParam));
        *result = 0;
        return true;
    case WM_NOTIFY:
        if (tree_.OnNotify(reinterpret_cast<const NMHDR*>(lParam), result)) return true;
        return false;
    default:
        return HandleMessage(DialogHandle(), message, wParam, lParam, result);
    }
}

void CFileAddDialog::OnInitDialog()
{
    SetWindowHandle(DialogHandle());
    iconSkin_ = "IcoAdd";
    SetTitle(L"添加图片");
    // Sized first, so the anchored controls are laid out in the final window.
    ::SetWindowPos(DialogHandle(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    selectAll_.Create(this, L"全选");
    selectAll_.SetMargins(208, 496, 0, 0);
    selectAll_.Click.connect(this, &CFileAddDialog::OnSelectAll);
    selection_.Create(this, kNoneSelected);
    selection_.SetMargins(259, 496, 0, 0);
    size_.Create(this, kNoSize);
    size_.SetMargins(371, 496, 0, 0);

    const DialogButton<CFileAddDialog> buttons[] = {
        {ok_, kOkLook, {0, 0, 73, 6}, AnchorBottom | AnchorRight, &CFileAddDialog::OnConfirm},
        {cancel_, kCancelLook, {0, 0, 16, 6}, AnchorBottom | AnchorRight, &CFileAddDialog::OnCancel},
        {close_, kCloseLook, kCloseMargins, AnchorTop | AnchorRight, &CFileAddDialog::OnCancel},
    };
    CreateDialogButtons(this, buttons);
    for (ControlBase* child : Children()) child->Layout();

    picker_.CreateIn(DialogHandle(), 191, 33, 628, 451);
    picker_.SelectionChanged.connect(this, &CFileAddDialog::OnPickerSelection);
    tree_.FolderSelected = [this](const std::wstring& folder) { ShowFolder(folder); };
    tree_.Create(DialogHandle(), RECT{2, 33, 2 + 189, 33 + 452}, kTreeId);
    tree_.GoTo(WideFromText(ConfigMgr::Instance()->DefaultFolder()));

    CenterOnOwner(DialogHandle(), centre_);
    if (tree_.HasSelection()) ::SetFocus(tree_.Handle());
}

void CFileAddDialog::PaintFrame(CPaintEventArgs& e)
{
    ExtForm::PaintFrame(e);
    const COLORREF line = RGB(230, 230, 230);
    FillSolid(e.dc, RECT{190, 33, 191, 484}, line);
    FillSolid(e.dc, RECT{1, 484, kWidth, 485}, line);
}

void CFileAddDialog::ShowFolder(const std::wstring& folder)
{
    picker_.Clear();
    size_.SetText(kNoSize);
    selection_.SetText(kNoneSelected);
    ConfigMgr::Instance()->SetDefaultFolder(TextFromWide<TChar>(folder));
    if (folder.empty()) return;

    // A drive's path ends in its separator already.
    const std::wstring base = folder.back() == L'\\' ? folder : folder + L'\\';
    WIN32_FIND_DATAW entry{};
    const Korvel::FindHandle search(::FindFirstFileW((base + L'*').c_str(), &entry));
    if (!search) return;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsListedPicture(entry.cFileName)) continue;
        const std::wstring name = entry.cFileName;
        auto* item = new ListViewSelectItem(TextFromWide<TChar>(base + name));
        item->SetCaption(TextFromWide<TChar>(name.substr(0, 255)));
        item->SetSize(static_cast<int>(entry.nFileSizeLow));
        picker_.AddItem(item);
    } while (::FindNextFileW(search.Get(), &entry));
    picker_.StartLoader();
    picker_.Arrange();
    picker_.UpdateScrollBar();
    picker_.RepaintAll();
}

std::wstring CFileAddDialog::SizeLabel(int bytes)
{
    const float total = static_cast<float>(bytes);
    wchar_t text[64] = {};
    if (total >= 1048576.0f)
        std::swprintf(text, 64, L"%.2fMB", static_cast<double>(total / 1048576.0f));
    else if (total >= 1024.0f)
        std::swprintf(text, 64, L"共%.2fKB", static_cast<double>(total / 1024.0f));
    else
        return kNoSize;
    return text;
}

void CFileAddDialog::UpdateLabels()
{
    size_.SetText(SizeLabel(picker_.SumFileSizes()).c_str());
    const std::wstring selection = L"当前选择" + std::to_wstring(picker_.CountChecked()) + L"/" +
                                   std::to_wstring(picker_.Count()) + L"张照片";
    selection_.SetText(selection.c_str());
}

void CFileAddDialog::OnSelectAll()
{
    picker_.SetAllChecked(selectAll_.IsChecked());
    UpdateLabels();
}

void CFileAddDialog::OnConfirm()
{
    if (target_) AddCheckedPhotos(picker_, *target_, DialogHandle());
    Close(0);
}

void CFileAddDialog::Close(INT_PTR result)
{
    picker_.StopLoader();
    EndDialog(result);
}
