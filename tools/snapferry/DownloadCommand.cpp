// snapferry download: fetches one web image as the panel's web image dialog does.
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "Network/WinINetDowner.h"
#include "platform/Threading.h"
#include "snapferry/Commands.h"
#include "snapferry/Console.h"

namespace {

using namespace Tool;

class Reporter : public IDownloaderEvent {
public:
    void OnDownloadComplete(int) override
    {
        completed_ = true;
        done_.Set();
    }
    void OnDownloadError(int, int errorCode) override
    {
        error_ = errorCode;
        done_.Set();
    }
    // WinINet reports every chunk; a line a second is plenty on a terminal.
    void OnDownloadProgress(int, std::uint64_t bytes, TString speedText) override
    {
        const DWORD now = ::GetTickCount();
        if (printed_ && now - lastPrint_ < 1000) return;
        printed_ = true;
        lastPrint_ = now;
        Print(L"  received " + std::to_wstring(bytes) + L" bytes  speed " + FromText(speedText));
    }
    void OnFileSizeKnown() override {}
    void OnFileNameKnown() override {}

    void Wait() { done_.Wait(); }
    bool Completed() const { return completed_; }
    int ErrorCode() const { return error_; }

private:
    Korvel::Threading::EventHandler done_;
    bool completed_ = false;
    int error_ = -1;
    bool printed_ = false;
    DWORD lastPrint_ = 0;
};

}  // namespace

int RunDownloadCommand(const std::vector<std::wstring>& args)
{
    if (args.size() != 2) return UsageError(L"download needs URL and OUT");
    Network::MemoryByteStream data;
    Reporter reporter;
    WinINetDowner downer;
    downer.SetEventSink(&reporter);
    if (!downer.Download(ToText(args[0]), &data)) {
        Error(L"snapferry: could not start the download");
        return kFailed;
    }
    reporter.Wait();
    if (!reporter.Completed()) {
        Error(L"snapferry: download failed (error code " + std::to_wstring(reporter.ErrorCode()) + L")");
        return kFailed;
    }
    std::ofstream out(std::filesystem::path(args[1]), std::ios::binary | std::ios::trunc);
    out.write(data.Bytes().data(), static_cast<std::streamsize>(data.Bytes().size()));
    if (!out) {
        Error(L"snapferry: cannot write " + args[1]);
        return kFailed;
    }
    Print(L"file name: " + FromText(downer.GetFileName()));
    Print(L"image type: " + std::to_wstring(downer.GetImageType()) + L" (" + FromText(downer.GetContentType()) + L")");
    Print(L"size: " + std::to_wstring(data.Bytes().size()) + L" bytes");
    return kOk;
}
