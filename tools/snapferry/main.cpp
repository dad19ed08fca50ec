// snapferry: posts and downloads as the browser plug-in does, for people wiring the plug-in
// to their server, and for our own checks.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "snapferry/Commands.h"
#include "snapferry/ImageCommands.h"
#include "snapferry/Console.h"
#include "platform/FileInfo.h"
#include "platform/Handle.h"

namespace {

using namespace Tool;

const wchar_t kUsageText[] =
    L"usage: snapferry [--flavor activex|npapi] COMMAND ...\n"
    L"\n"
    L"  post --url URL [--charset NAME] [--file-field NAME] [--field NAME=VALUE]...\n"
    L"       [--remark TEXT] [--type jpg|png|gif|bmp|tif] [--width W --height H]\n"
    L"       [--quality Q] FILE...\n"
    L"      Uploads each FILE as one multipart/form-data POST, as the panel does: the\n"
    L"      --field values in name order, lastWriteTime, width, height, remark, then\n"
    L"      the file. Stops at the first file the server does not answer with 200.\n"
    L"  download URL OUT\n"
    L"      Downloads a web image as the panel's web image dialog does, into OUT.\n"
    L"  prepare [--type T] [--width W --height H] [--quality Q] [--watermark] FILE OUT\n"
    L"      Writes the bytes FILE would be uploaded as into OUT and prints their name,\n"
    L"      size, picture size and format code.\n"
    L"  phototime FILE\n"
    L"      Prints when the photo was taken (its EXIF date and time).\n"
    L"  panel --url URL [--charset NAME] [--file-field NAME] [--field NAME=VALUE]...\n"
    L"        [--type T] [--width W --height H] [--quality Q] [--drop FILE...]\n"
    L"        [--pick DIR [--check all|I,J,...]] [--web URL]\n"
    L"        [--rotate N:left|right]... [--caption N:TEXT]... [--sort INDEX]\n"
    L"        [--post] [--cancel-after SECONDS] [--shots DIR]\n"
    L"      The upload panel in a real window: drops the files on it, picks pictures\n"
    L"      of DIR in the add-images dialog, adds one from the web image dialog, turns,\n"
    L"      captions and sorts photos (N, I, J count from 1), presses the post button,\n"
    L"      and prints every status, message, callback and posted-files entry.\n"
    L"      Without --post it stays open for a person to use.\n"
    L"  page [--plugin activex|npapi] [--dll PATH] [--shots DIR] SCRIPT.js [ARG...]\n"
    L"      A small browser around a page script: the deliverable sits in a page\n"
    L"      window, the JScript engine runs SCRIPT.js with it named `uploader`, and\n"
    L"      `visitor` acts as the person at the page (drop, press, type, sort, answer,\n"
    L"      waitUntil, sleep, shot, print, argument, quit). A script that never asks\n"
    L"      the visitor to act leaves the page open for a person.\n"
    L"  gallery DIR\n"
    L"      Draws every control and dialog in each of its states through real windows\n"
    L"      and writes the pictures to DIR as PNG files (needs a display; Xvfb will do).\n"
    L"\n"
    L"  --flavor activex (default) behaves like the ActiveX control, npapi like the\n"
    L"  NPAPI plug-in (no percent-encoding of values, image/pjpeg, plain text).\n"
    L"\n"
    L"Exit status: 0 every file accepted, 1 a transfer failed, 2 bad usage.";

// The plug-in's behaviour lives in a sibling program built with the narrow flavour.
int RunNarrowSibling(const std::vector<std::wstring>& args)
{
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"snapferry-npapi.exe";
    std::wstring line = L"\"" + path + L"\"";
    for (const auto& a : args) {
        // Quote every argument; backslashes before a quote are doubled, as the C run-time expects.
        std::wstring quoted = L"\"";
        std::size_t slashes = 0;
        for (wchar_t c : a) {
            if (c == L'\\') {
                ++slashes;
            } else {
                if (c == L'"') quoted.append(slashes + 1, L'\\');
                slashes = 0;
            }
            quoted += c;
        }
        quoted.append(slashes, L'\\');
        line += L" " + quoted + L"\"";
    }
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        Error(L"snapferry: cannot start " + path);
        return kFailed;
    }
    const Korvel::Handle process(pi.hProcess), thread(pi.hThread);
    ::WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = kFailed;
    ::GetExitCodeProcess(process.Get(), &code);
    return static_cast<int>(code);
}

#if defined(SF_WIDE)
constexpr bool kNarrowBuild = false;
#else
constexpr bool kNarrowBuild = true;
#endif

}  // namespace

int main()
{
    // The tool reports unreadable files itself rather than through message boxes.
    Korvel::IO::SetOpenErrorReporter([](int, const std::wstring&) {});

    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::wstring> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    ::LocalFree(argv);

    std::wstring flavor = L"activex";
    for (std::size_t i = 0; i < args.size();) {
        if (args[i] == L"--flavor") {
            if (i + 1 >= args.size()) return UsageError(L"--flavor needs activex or npapi");
            flavor = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        } else {
            ++i;
        }
    }
    if (flavor != L"activex" && flavor != L"npapi") return UsageError(L"--flavor must be activex or npapi");
    if (flavor == L"npapi" && !kNarrowBuild) return RunNarrowSibling(args);

    if (args.empty()) return UsageError(L"no command given");
    const std::wstring command = args.front();
    const std::vector<std::wstring> rest(args.begin() + 1, args.end());
    if (command == L"help" || command == L"--help" || command == L"-h") {
        Print(kUsageText);
        return kOk;
    }
    if (command == L"post") return RunPostCommand(rest);
    if (command == L"download") return RunDownloadCommand(rest);
    if (command == L"prepare") return RunPrepareCommand(rest);
    if (command == L"phototime") return RunPhotoTimeCommand(rest);
    if (command == L"gallery") return RunGalleryCommand(rest);
    if (command == L"panel") return RunPanelCommand(rest);
#ifdef SF_HAVE_PAGE_HOST
    if (command == L"page") return RunPageCommand(rest);
#endif
    return UsageError(L"unknown command '" + command + L"'");
}
