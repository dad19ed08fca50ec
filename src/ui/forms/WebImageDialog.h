#pragma once
// Adds one picture from a web address: the user types it and presses OK, the picture is
// downloaded into memory with a progress bar, and on success it joins the target list as
// a web item and the dialog closes. A failed download tells the user and stays open.
#include <atomic>
#include <string>

#include "Network/ByteStream.h"
#include "Network/WinINetDowner.h"
#include "ui/controls/Button.h"
#include "ui/controls/Editor.h"
#include "ui/controls/Label.h"
#include "ui/controls/ProgressBar.h"
#include "ui/forms/ExtForm.h"
#include "ui/forms/ModalDialog.h"
#include "ui/sigslot.h"

class ListView;

class WebImageDialog : public Korvel::UI::ModalDialog,
                       public Korvel::UI::ExtForm,
                       public IDownloaderEvent,
                       public sigslot::has_slots<> {
public:
    // The downloader's events, as synchronous messages to the dialog's window.
    enum : UINT {
        kDownloadComplete = WM_USER + 1000,
        kDownloadError,
        kDownloadProgress,
        kDownloadCancelled,
        kFileSizeKnown,
        kFileNameKnown,
        // Posted by the dialog to itself: tell the user a download failed.
        kReportFailure,
    };

    // Ends with 0 after a picture was added and 1 after Cancel; Enter and Esc do nothing.
    WebImageDialog(ListView* target, HWND centre) : centre_(centre), target_(target) {}
    ~WebImageDialog() override;

    // What a tool or a test drives and reads.
    const Korvel::UI::Controls::Editor& AddressBox() const { return address_; }
    const Korvel::UI::Controls::Button& OkButton() const { return ok_; }
    const Korvel::UI::Controls::Button& CancelButton() const { return cancel_; }
    int Progress() const { return progress_.Value(); }
    bool IsDownloading() const { return downloading_; }
    WinINetDowner& Downloader() { return downloader_; }

    static constexpr int kWidth = 310, kHeight = 150;
    static constexpr int kAddressLimit = 255;

protected:
    bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void OnInitDialog();
    void OnStart();
    void OnCancel() { EndDialog(1); }
    void OnComplete();
    void ReportFailure();
    // Stops a download in flight and waits for the downloader's threads, answering the
    // events they are sending meanwhile.
    void StopDownload();
    bool Send(UINT message, WPARAM wParam = 0);

    void OnDownloadComplete(int id) override;
    void OnDownloadError(int id, int errorCode) override;
    void OnDownloadProgress(int id, std::uint64_t bytesReceived, TString speedText) override;
    void OnFileSizeKnown() override;
    void OnFileNameKnown() override;

    Label label_;
    HWND centre_;
    Korvel::UI::Controls::ProgressBar progress_;
    Korvel::UI::Controls::Editor address_;
    Korvel::UI::Controls::Button ok_;
    Korvel::UI::Controls::Button cancel_;
    std::wstring url_;
    ListView* target_;
    Network::MemoryByteStream stream_;
    // The window the downloader's threads send to; cleared once they are stopped.
    std::atomic<HWND> sink_{nullptr};
    bool downloading_ = false;
    // Declared last: it goes first, before the stream it writes to.
    WinINetDowner downloader_;
};
