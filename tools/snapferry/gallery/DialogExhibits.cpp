// The message dialog with each message the product shows, photographed while it runs.
#include "gallery/Exhibits.h"

#include "support/DialogDriver.h"
#include "ui/forms/MessageDialog.h"

namespace Gallery {

void DialogExhibits(Sheet& sheet)
{
    struct Message {
        const wchar_t *title, *text, *file;
    };
    const Message messages[] = {
        {L"提示信息", L"选择的图片数量超过限制", L"intake-limit"},
        {L"取消上传", L"照片正在上传中，确定取消上传吗？", L"cancel-upload"},
        {nullptr, L"上传列表为空，请选择文件", L"empty-list"},
        {nullptr, L"当前文件大小超过限制。请删除大图片。", L"too-large"},
        {L"提示信息", L"文件数量超过限制", L"picker-limit"},
        {nullptr, L"地址不能为空", L"empty-address"},
    };
    for (const Message& m : messages) {
        CMessageDialog dialog;
        if (m.title) dialog.SetTitle(m.title);
        dialog.SetMessage(m.text);
        test::DialogDriver driver([&](HWND window) {
            ::UpdateWindow(window);
            RECT client;
            ::GetClientRect(window, &client);
            sheet.Add(dialog.Buffer(), client, m.text, std::wstring(L"dialog-") + m.file);
            ::PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
        });
        dialog.ShowModal(nullptr);
    }
    sheet.NewRow();
}

}  // namespace Gallery
