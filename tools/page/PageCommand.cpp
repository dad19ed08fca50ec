// snapferry page: a small browser around one page script. It puts the deliverable into a page
// window (the ActiveX control through the system's ActiveX container, or the NPAPI plug-in
// through our test browser), runs the script with the JScript engine, the deliverable named
// `uploader` as a page names its element, and `visitor` to act as the person at the page.
#include <windows.h>
#include <ole2.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "page/PageEmbed.h"
#include "page/ScriptEngine.h"
#include "page/Visitor.h"
#include "platform/TextConv.h"
#include "snapferry/Commands.h"
#include "snapferry/Console.h"
#include "ui/WindowClass.h"

namespace {

using namespace Tool;

const wchar_t kPageClass[] = L"SnapferryPage";
constexpr int kWidth = 780, kHeight = 540, kMargin = 10;

struct PageArgs {
    std::wstring plugin = L"activex";
    std::wstring dll;
    std::wstring shots;
    std::wstring script;
    std::vector<std::wstring> scriptArgs;
};

std::wstring Parse(const std::vector<std::wstring>& args, PageArgs& out)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        if (!out.script.empty()) {
            out.scriptArgs.push_back(a);
        } else if (a == L"--plugin") {
            if (!TakeValue(args, i, out.plugin) || (out.plugin != L"activex" && out.plugin != L"npapi"))
                return L"--plugin needs activex or npapi";
        } else if (a == L"--dll") {
            if (!TakeValue(args, i, out.dll) || out.dll.empty()) return L"--dll needs the plug-in's path";
        } else if (a == L"--shots") {
            if (!TakeValue(args, i, out.shots) || out.shots.empty()) return L"--shots needs a folder";
        } else if (a.size() > 2 && a.compare(0, 2, L"--") == 0) {
            return L"unknown option " + a;
        } else {
            out.script = a;
        }
    }
    if (out.script.empty()) return L"page needs a script";
    return std::wstring();
}

#ifdef SF_HAVE_NPAPI_EMBED
// The plug-in built beside this program: ..\src\npSnapferry.dll from tools\.
std::wstring DefaultPluginPath()
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir = self;
    dir = dir.substr(0, dir.find_last_of(L"\\/"));
    return dir.substr(0, dir.find_last_of(L"\\/") + 1) + L"src\\npSnapferry.dll";
}
#endif

bool ReadScript(const std::wstring& path, std::wstring* text)
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::string utf8 = bytes.str();
    if (utf8.compare(0, 3, "\xEF\xBB\xBF") == 0) utf8.erase(0, 3);
    *text = Korvel::Text::WideFromUtf8(utf8);
    return true;
}

LRESULT CALLBACK PageProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) {
        RECT r;
        ::GetClientRect(wnd, &r);
        ::FillRect(reinterpret_cast<HDC>(wParam), &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        return 1;
    }
    return ::DefWindowProcW(wnd, message, wParam, lParam);
}

std::unique_ptr<PageEmbed> Embed(const PageArgs& a, const EmbedPlace& place, std::wstring* error)
{
    if (a.plugin == L"activex") return EmbedActiveX(place, error);
#ifdef SF_HAVE_NPAPI_EMBED
    return EmbedNpapi(place, a.dll.empty() ? DefaultPluginPath() : FullPath(a.dll), error);
#else
    *error = L"this build has no NPAPI test browser";
    return nullptr;
#endif
}

}  // namespace

int RunPageCommand(const std::vector<std::wstring>& args)
{
    PageArgs a;
    if (const std::wstring problem = Parse(args, a); !problem.empty()) return UsageError(problem);
    std::wstring text;
    if (!ReadScript(a.script, &text)) {
        Error(L"snapferry: cannot read " + a.script);
        return kUsage;
    }
    if (!a.shots.empty()) {
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(a.shots), ignored);
        a.shots = FullPath(a.shots);
    }

    ::OleInitialize(nullptr);
    const bool privateDisplay = ::GetEnvironmentVariableW(L"SNAPFERRY_PRIVATE_DISPLAY", nullptr, 0) > 0;
    const DWORD style = privateDisplay ? (WS_POPUP | WS_CLIPCHILDREN) : (WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
    Korvel::UI::RegisterWindowClassOnce(kPageClass, &PageProc);
    RECT frame{0, 0, kWidth, kHeight};
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    const std::wstring title = L"Snapferry page - " + a.script;
    HWND page = ::CreateWindowExW(0, kPageClass, title.c_str(), style, privateDisplay ? 0 : CW_USEDEFAULT, 0,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, nullptr,
                                  nullptr);
    if (!page) {
        Error(L"snapferry: cannot open the page's window");
        return kFailed;
    }
    ::ShowWindow(page, SW_SHOW);

    int status = kOk;
    {
        ScriptEngine engine;
        std::wstring error;
        if (!engine.Start(&error)) {
            Error(L"snapferry: " + error);
            ::DestroyWindow(page);
            return kFailed;
        }
        Korvel::ComPtr<IDispatch> global = engine.Global();
        const EmbedPlace place{page, RECT{kMargin, kMargin, kWidth - kMargin, kHeight - kMargin}, global.Get()};
        std::unique_ptr<PageEmbed> embed = Embed(a, place, &error);
        if (!embed) {
            Error(L"snapferry: " + error);
            ::DestroyWindow(page);
            return kFailed;
        }
        Print(L"page: " + a.script + L" with the " + (a.plugin == L"activex" ? L"ActiveX control" : L"NPAPI plug-in"));
        Visitor visitor(Visitor::Setup{page, embed->Window(), a.shots, a.scriptArgs});
        Korvel::ComPtr<IDispatch> uploader(embed->ScriptObject(), false);
        engine.AddObject(L"uploader", uploader.Get());
        engine.AddObject(L"visitor", &visitor);
        if (!engine.Run(text, a.script, &error)) {
            if (!visitor.QuitAsked()) {
                Error(L"page error: " + error);
                status = kFailed;
            }
        }
        if (visitor.QuitAsked()) status = visitor.ExitCode();
        // A page nobody drives is left for a person to use.
        if (!visitor.Acted() && !visitor.QuitAsked() && !privateDisplay && status == kOk) {
            visitor.SetAnswering(false);
            Print(L"the page is open; close its window to end");
            MSG msg;
            while (::IsWindow(page) && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        engine.Close();
        uploader.Reset();
        embed->Close();
    }
    if (::IsWindow(page)) ::DestroyWindow(page);
    ::OleUninitialize();
    return status;
}
