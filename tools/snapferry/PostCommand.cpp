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

struct PostArgs {
    std::wstring url;
    std::wstring charset;
    std::wstring fileField = L"img";
    std::map<TString, TString> fields;  // the page's extra fields go out in name order
    std::wstring remark;
    UploadOptions upload;
    bool sizeGiven[2] = {false, false};
    std::vector<std::wstring> files;
};

// Returns an error message, or empty when the arguments are usable.
std::wstring Parse(const std::vector<std::wstring>& args, PostArgs& out)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        auto value = [&](std::wstring& into) -> bool {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        std::wstring v;
        if (a == L"--url") {
            if (!value(out.url)) return L"--url needs an address";
        } else if (a == L"--charset") {
            if (!value(out.charset)) return L"--charset needs a name (UTF-8 or GB2312)";
        } else if (a == L"--file-field") {
            if (!value(out.fileField) || out.fileField.empty()) return L"--file-field needs a name";
        } else if (a == L"--field") {
            if (!value(v)) return L"--field needs NAME=VALUE";
            const auto eq = v.find(L'=');
            if (eq == std::wstring::npos || eq == 0) return L"--field needs NAME=VALUE, got '" + v + L"'";
            out.fields[ToText(v.substr(0, eq))] = ToText(v.substr(eq + 1));
        } else if (a == L"--remark") {
            if (!value(out.remark)) return L"--remark needs a text";
        } else if (a == L"--type") {
            if (!value(v)) return L"--type needs jpg, png, gif, bmp or tif";
            if (v != L"jpg" && v != L"png" && v != L"gif" && v != L"bmp" && v != L"tif")
                return L"--type must be jpg, png, gif, bmp or tif, got '" + v + L"'";
            out.upload.type = v;
        } else if (a == L"--width" || a == L"--height") {
            const bool width = a == L"--width";
            if (!value(v) || !ParseNumber(v, 1, 65535, width ? out.upload.width : out.upload.height))
                return a + L" needs a number from 1 to 65535";
            out.sizeGiven[width ? 0 : 1] = true;
        } else if (a == L"--quality") {
            if (!value(v) || !ParseNumber(v, 1, 100, out.upload.quality)) return L"--quality needs a number from 1 to 100";
        } else if (a.size() > 2 && a.compare(0, 2, L"--") == 0) {
            return L"unknown option " + a;
        } else {
            out.files.push_back(a);
        }
    }
    if (out.url.empty()) return L"post needs --url";
    if (out.files.empty()) return L"post needs at least one FILE";
    if (out.sizeGiven[0] != out.sizeGiven[1]) return L"--width and --height go together";
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

    ConfigMgr* config = ConfigMgr::Instance();
    config->SetFileFieldName(ToText(a.fileField));
    if (!a.upload.type.empty()) config->SetImageUploadType(ToText(a.upload.type));
    config->SetJpegQuality(static_cast<std::uint16_t>(a.upload.quality));
    config->SetThumbnailWidth(static_cast<std::uint16_t>(a.upload.width));
    config->SetThumbnailHeight(static_cast<std::uint16_t>(a.upload.height));

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
