// The message dialog with each message the product shows, photographed while it runs.
#include "gallery/Exhibits.h"

#include "support/DialogDriver.h"
#include "ui/forms/MessageDialog.h"

namespace Gallery {

void DialogExhibits(Sheet& sheet)
{
    struct Shown {
        const Messages::Message& message;
        const wchar_t* file;
    };
    const Shown shown[] = {
        {Messages::kTooManySelected, L"intake-limit"}, {Messages::kCancelUpload, L"cancel-upload"},
        {Messages::kEmptyList, L"empty-list"},         {Messages::kFileTooLarge, L"too-large"},
        {Messages::kTooManyFiles, L"picker-limit"},    {Messages::kEmptyAddress, L"empty-address"},
    };
    for (const Shown& s : shown) {
        CMessageDialog dialog;
        dialog.SetMessage(s.message);
        test::DialogDriver driver([&](HWND window) {
            ::UpdateWindow(window);
            RECT client;
            ::GetClientRect(window, &client);
            sheet.Add(dialog.Buffer(), client, s.message.text, std::wstring(L"dialog-") + s.file);
            ::PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
        });
        dialog.ShowModal(nullptr);
    }
    sheet.NewRow();
}

}  // namespace Gallery
