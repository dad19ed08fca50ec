// Where the panel's controls are, by name, for automation: a page host's visitor presses
// the same places a person would.
#include <cwchar>
#include <cwctype>

#include "panel/UploadPanel.h"
#include "ui/listview/ListViewPostItem.h"

namespace {

// "photo:N" or "photo:N:BUTTON": N from 1, and the button's name (empty for the photo).
bool ParsePhoto(const wchar_t* name, int* index, const wchar_t** button)
{
    if (std::wcsncmp(name, L"photo:", 6) != 0 || !std::iswdigit(name[6])) return false;
    wchar_t* end = nullptr;
    const long n = std::wcstol(name + 6, &end, 10);
    if (n < 1 || (*end && *end != L':')) return false;
    *index = static_cast<int>(n - 1);
    *button = *end ? end + 1 : end;
    return true;
}

}  // namespace

bool UploadPanel::Locate(const wchar_t* name, RECT* rect)
{
    if (!name || !rect || !window_) return false;
    const struct {
        const wchar_t* name;
        Korvel::UI::ControlBase* control;
    } controls[] = {{L"add", &AddButton},         {L"addurl", &AddUrlButton},         {L"post", &PostButton},
                    {L"bigadd", &BigAddButton},   {L"selectall", &SelectAllBox},      {L"rotateleft", &RotateLeftTool},
                    {L"rotateright", &RotateRightTool}, {L"delete", &DeleteTool},     {L"sort", &SortBox}};
    for (const auto& c : controls) {
        if (std::wcscmp(c.name, name) != 0) continue;
        *rect = c.control->GetBounds();
        return c.control->IsVisible() != 0;
    }

    int index = 0;
    const wchar_t* button = nullptr;
    if (!ParsePhoto(name, &index, &button) || !ImageList.IsVisible()) return false;
    ListViewItem* item = ImageList.ItemAt(index);
    HWND list = ImageList.GetWindowHandle();
    if (!item || !list) return false;
    RECT bounds{};
    item->GetBounds(&bounds);
    RECT r = item->GetViewRect(ImageList.ScrollPosition());
    if (*button) {
        auto* post = dynamic_cast<ListViewPostItem*>(item);
        RECT b{};
        if (!post || !post->NamedButton(button, &b)) return false;
        ::OffsetRect(&b, r.left - bounds.left, r.top - bounds.top);
        r = b;
    }
    ::MapWindowPoints(list, window_, reinterpret_cast<POINT*>(&r), 2);
    *rect = r;
    return true;
}
