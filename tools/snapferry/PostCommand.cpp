// snapferry post: uploads files exactly as the panel's upload run does, one request per
// file, stopping at the first that is not accepted.
#include <windows.h>

#include <climits>
#include <cwchar>
#include <map>
#include <memory>

#include "Biz/ConfigMgr.h"
#include "Biz/Flavour.h"
#include "Biz/Remark.h"
#include "Network/Speed.h"
#include "Network/WinINetPoster.h"
#include "platform/FileInfo.h"
#include "platform/Threading.h"
#include "snapferry/Commands.h"
#include "snapferry/Console.h"
#include "snapferry/Upload.h"

namespace {

using namespace Tool;

struct PostArgs : UploadSetup {
    std::wstring remark;
    std::vector<std::wstring> files;
};

// Returns an error message, or empty when the arguments are usable.
std::wstring Parse(const std::vector<std::wstring>& args, PostArgs& out)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        auto value = [&](std::wstring& into) { return TakeValue(args, i, into); };
        std::wstring error;
        if (ParseUploadOption(args, i, out, &error)) {
            if (!error.empty()) return error;
        } else if (a == L"--remark") {
            if (!value(out.remark)) return L"--remark needs a text";
        } else if (a.size() > 2 && a.compare(0, 2, L"--") == 0) {
            return L"unknown option " + a;
        } else {
            out.files.push_back(a);
        }
    }
    if (const std::wstring problem = CheckUploadSetup(out); !problem.empty()) return problem;
    if (out.files.empty()) return L"post needs at least one FILE";
    return std::wstring();
}

// Receives the poster's events on its worker thread and prints them.
class Reporter : public IFileTransferEvent {
public:
    explicit Reporter(WinINetPoster& poster) : poster_(poster) {}

    void Expect(std::uint64_t runBytesLeft)
    {
        runBytesLeft_ = runBytesLeft;
        error_ = -1;
        completed_ = false;
    }
    void OnTransferComplete(int) override
    {
        completed_ = true;
        done_.Set();
    }
    void OnTransferError(int, int errorCode) override
    {
        error_ = errorCode;
        done_.Set();
    }
    void OnTransferProgress(int, std::uint32_t bytesSent, TString speedText) override
    {
        // As the panel shows it: what is left of the whole run at the current speed.
        const std::uint32_t speed = poster_.GetSpeed();
        const std::uint32_t seconds = speed ? static_cast<std::uint32_t>(runBytesLeft_) / speed : 0;
        Print(L"  sent " + std::to_wstring(bytesSent) + L" bytes  speed " + FromText(speedText) + L"  remaining " +
              FromText(FormatRemainingTime(seconds)));
    }
    void Wait() { done_.Wait(); }
    bool Completed() const { return completed_; }
    int ErrorCode() const { return error_; }

private:
    WinINetPoster& poster_;
    Korvel::Threading::EventHandler done_;
    std::uint64_t runBytesLeft_ = 0;
    bool completed_ = false;
    int error_ = -1;
};

const wchar_t* ErrorText(int code)
{
    switch (code) {
    case HttpPoster::ConnectError: return L"could not connect";
    case HttpPoster::WriteError: return L"sending failed";
    case HttpPoster::StatusError: return L"the server did not answer 200";
    default: return L"failed";
    }
}

}  // namespace

int RunPostCommand(const std::vector<std::wstring>& args)
{
    PostArgs a;
    const std::wstring problem = Parse(args, a);
    if (!problem.empty()) return UsageError(problem);

    ApplyUploadSetup(a);

    // Prepare everything first: the run's remaining time counts every file from the start.
    std::vector<PreparedUpload> uploads;
    std::uint64_t runBytes = 0;
    for (const auto& file : a.files) {
        PreparedUpload u = PrepareForUpload(file, a.upload);
        if (!u.ok) {
            Error(L"snapferry: " + u.error);
            return kFailed;
        }
        if (u.bytes.size() > static_cast<std::size_t>(INT_MAX)) {
            Error(L"snapferry: " + file + L" is 2 GiB or larger; uploads are limited to less");
            return kFailed;
        }
        runBytes += u.bytes.size();
        uploads.push_back(std::move(u));
    }

    WinINetPoster poster;
    Reporter reporter(poster);
    poster.SetEventSink(&reporter);
    poster.SetUrl(ToText(a.url));
    poster.SetCharset(a.charset.empty() ? Flavour::InitialEncodeType() : ToText(a.charset));
    const TString remark = EncodeRemark(ToText(a.remark));

    for (std::size_t i = 0; i < uploads.size(); ++i) {
        const PreparedUpload& u = uploads[i];
        HttpForm& form = poster.GetForm();
        form.Clear();
        for (const auto& [name, value] : a.fields) form.AddFormField(name, value);
        form.AddFormField(SF_T("lastWriteTime"), ToText(Korvel::IO::LastWriteTimeText(a.files[i])));
        form.AddFormField(SF_T("width"), static_cast<std::int32_t>(u.width));
        form.AddFormField(SF_T("height"), static_cast<std::int32_t>(u.height));
        form.AddFormField(SF_T("remark"), remark);

        Print(L"posting " + a.files[i] + L" as " + u.fileName + L" (" + std::to_wstring(u.bytes.size()) + L" bytes, " +
              std::to_wstring(u.width) + L"x" + std::to_wstring(u.height) + L")");
        Network::MemoryByteStream stream(u.bytes);
        reporter.Expect(runBytes);
        const DWORD started = ::GetTickCount();
        if (!poster.Post(static_cast<int>(i), &stream, ToText(u.fileName))) {
            Error(L"snapferry: could not start the upload");
            return kFailed;
        }
        reporter.Wait();
        wchar_t took[32];
        std::swprintf(took, 32, L"%.2f", (::GetTickCount() - started) / 1000.0);
        Print(L"  status " + std::to_wstring(poster.GetStatusCode()));
        Print(L"  time " + std::wstring(took) + L" s");
        Print(L"  response: " + FromText(poster.GetResponse()));
        if (!reporter.Completed()) {
            Error(L"snapferry: " + a.files[i] + L": " + ErrorText(reporter.ErrorCode()) + L" (error code " +
                  std::to_wstring(reporter.ErrorCode()) + L")");
            return kFailed;
        }
        runBytes -= u.bytes.size();
    }
    return kOk;
}
