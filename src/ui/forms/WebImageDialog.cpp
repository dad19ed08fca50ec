#include "ui/forms/WebImageDialog.h"

#include <memory>

#include "platform/TextConv.h"
#include "ui/forms/CenterOnOwner.h"
#include "ui/forms/MessageDialog.h"
#include "ui/listview/ListView.h"
#include "ui/listview/ListViewPostItem.h"

using namespace Korvel::UI;
using Korvel::Text::TextFromWide;

WebImageDialog::~WebImageDialog() { StopDownload(); }

bool WebImageDialog::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = FALSE;  // the focus is in the address box already
        return true;
    case WM_COMMAND:
        // No commands: Enter and Esc do nothing, only the buttons end the dialog.
        *result = 0;
        return true;
    case kDownloadComplete:
        if (downloading_) OnComplete();
        *result = 1;
        return true;
    case kDownloadError:
        if (downloading_) {
            downloading_ = false;
            ::PostMessageW(DialogHandle(), kReportFailure, 0, 0);
        }
        *result = 1;
        return true;
    case kDownloadProgress:
        if (downloading_) progress_.SetValue(downloader_.GetPercent());
        *result = 1;
        return true;
    case kDownloadCancelled:
    case kFileSizeKnown:
    case kFileNameKnown:
        *result = 1;
        return true;
    case kReportFailure:
        ReportFailure();
        *result = 0;
        return true;
    case WM_DESTROY:
        // However the dialog goes, the download goes first.
        StopDownload();
        return HandleMessage(DialogHandle(), message, wParam, lParam, result);
    default:
        return HandleMessage(DialogHandle(), message, wParam, lParam, result);
    }
}

void WebImageDialog::OnInitDialog()
{
    SetWindowHandle(DialogHandle());
    SetTitle(L"打开网络图片");
    ::SetWindowPos(DialogHandle(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    ok_.Create(this, L"确定");
    ok_.SetSize(72, 25);
    ok_.SetMargins(0, 0, 82, 4);
    ok_.SetAnchor(AnchorBottom | AnchorRight);
    ok_.Click.connect(this, &WebImageDialog::OnStart);
    cancel_.Create(this, L"取消");
    cancel_.SetSize(72, 25);
    cancel_.SetMargins(0, 0, 7, 4);
    cancel_.SetAnchor(AnchorBottom | AnchorRight);
    cancel_.Click.connect(this, &WebImageDialog::OnCancel);
    address_.Attach(this);
    address_.SetSize(181, 19);
    address_.SetMargins(68, 48, 0, 0);
    address_.SetAnchor(AnchorLeft | AnchorTop);
    ::SendMessageW(address_.GetWindowHandle(), EM_LIMITTEXT, kAddressLimit, 0);
    label_.Create(this, L"地址");
    label_.SetMargins(19, 51, 0, 0);
    label_.SetAnchor(AnchorLeft | AnchorTop);
    progress_.Attach(this);
    progress_.SetSize(181, 19);
    progress_.SetMargins(64, 74, 0, 0);
    progress_.SetAnchor(AnchorLeft | AnchorTop);
    for (ControlBase* child : Children()) child->Layout();

    CenterOnOwner(DialogHandle(), centre_);
    ::SetFocus(address_.GetWindowHandle());
}

void WebImageDialog::OnStart()
{
    // The downloader and its stream serve one download at a time: a second OK waits.
    if (downloading_) return;
    url_ = address_.GetText();
    if (url_.empty()) {
        CMessageDialog message;
        message.SetMessage(Messages::kEmptyAddress);
        message.ShowModal(DialogHandle());
        return;
    }
    // The last download's worker may still be on its way out after its final event.
    StopDownload();
    progress_.SetValue(0);
    stream_ = Network::MemoryByteStream();
    sink_ = DialogHandle();
    downloader_.SetEventSink(this);
    downloading_ = downloader_.Download(TextFromWide<TChar>(url_), &stream_);
    if (!downloading_) {
        sink_ = nullptr;
        ReportFailure();
    }
}

void WebImageDialog::OnComplete()
{
    downloading_ = false;
    // A list locked for an upload run takes nothing: the run's end would delete it unsent.
    if (target_ && !target_->IsEditable()) {
        EndDialog(0);
        return;
    }
    // A page the server sent instead (an error page, a login form) or bytes in no format
    // we read would upload as an empty file: only a picture is added.
    const std::string& bytes = stream_.Bytes();
    if (target_ && downloader_.GetStatusCode() == 200 && !bytes.empty()) {
        auto item = std::make_unique<ListViewPostItem>(
            downloader_.GetFileName(), reinterpret_cast<const std::uint8_t*>(bytes.data()),
            static_cast<std::uint32_t>(bytes.size()), static_cast<std::uint32_t>(downloader_.GetImageType()));
        if (item->GetImage()) {
            item->SetSize(static_cast<int>(downloader_.GetFileSize()));
            item->SetWeb(1);
            target_->AddItem(item.release());
            EndDialog(0);
            return;
        }
    }
    // Shown once the downloader's thread, which is waiting for this message, has gone on.
    ::PostMessageW(DialogHandle(), kReportFailure, 0, 0);
}

void WebImageDialog::ReportFailure()
{
    CMessageDialog message;
    message.SetMessage(Messages::kDownloadFailed);
    message.ShowModal(DialogHandle());
}

void WebImageDialog::StopDownload()
{
    downloading_ = false;
    downloader_.Stop();
    // Its threads may be sending us an event right now: answer those while waiting.
    if (HANDLE worker = downloader_.Worker()) {
        while (::MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
            MSG message;
            ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
    sink_ = nullptr;
}

bool WebImageDialog::Send(UINT message, WPARAM wParam)
{
    HWND window = sink_;
    return window && ::SendMessageW(window, message, wParam, 0) != 0;
}

void WebImageDialog::OnDownloadComplete(int id) { Send(kDownloadComplete, static_cast<WPARAM>(id)); }

void WebImageDialog::OnDownloadError(int, int errorCode) { Send(kDownloadError, static_cast<WPARAM>(errorCode)); }

void WebImageDialog::OnDownloadProgress(int, std::uint64_t, TString) { Send(kDownloadProgress); }

void WebImageDialog::OnFileSizeKnown() { Send(kFileSizeKnown); }

void WebImageDialog::OnFileNameKnown() { Send(kFileNameKnown); }
