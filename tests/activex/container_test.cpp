// The control hosted in place by the system's own ActiveX container (atl100.dll), as a page
// hosts it: a photo dropped on it, the post button pressed, the upload sent to a loopback
// server, and the page's callback called on the page's thread. A second control on the page
// keeps to itself.
#include <filesystem>
#include <fstream>

#include "ComFixture.h"
#include "page/PageEmbed.h"
#include "support/DataObjects.h"
#include "support/LoopbackServer.h"
#include "support/MessagePump.h"
#include "support/PanelActions.h"
#include "support/TempDir.h"

namespace {

using Korvel::ComPtr;
using test::ComTest;

// A 24-bit BMP, 4 x 3 unless asked otherwise.
void WritePhoto(const std::filesystem::path& path, int width = 4, int height = 3)
{
    const int row = (width * 3 + 3) & ~3;
    std::vector<unsigned char> bytes(54 + row * height, 0x80);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<std::uint32_t>(bytes.size()));
    put32(6, 0);
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    put32(26, 1 | (24 << 16));
    put32(30, 0);
    put32(34, row * height);
    for (std::size_t at : {38u, 42u, 46u, 50u}) put32(at, 0);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

LRESULT CALLBACK PageProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(wnd, message, wParam, lParam);
}

HWND MakePage()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = &PageProc;
    wc.lpszClassName = L"SnapferryTestPage";
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    ::RegisterClassW(&wc);
    HWND page = ::CreateWindowExW(0, L"SnapferryTestPage", L"page", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                  1000, 560, nullptr, nullptr, nullptr, nullptr);
    return page;
}

void DropOn(IDispatch* control, const std::wstring& path)
{
    ComPtr<IDropTarget> target;
    ASSERT_EQ(control->QueryInterface(IID_IDropTarget, target.put_void()), S_OK);
    test::DropFileList(target.Get(), {path}, POINTL{100, 100});
}

std::vector<std::wstring> Entries(const VARIANT& array)
{
    std::vector<std::wstring> out;
    if (V_VT(&array) != (VT_ARRAY | VT_VARIANT)) return out;
    LONG low = 0, high = -1;
    ::SafeArrayGetLBound(V_ARRAY(&array), 1, &low);
    ::SafeArrayGetUBound(V_ARRAY(&array), 1, &high);
    for (LONG i = low; i <= high; ++i) {
        VARIANT entry;
        ::VariantInit(&entry);
        ::SafeArrayGetElement(V_ARRAY(&array), &i, &entry);
        out.push_back(V_VT(&entry) == VT_BSTR ? V_BSTR(&entry) : L"?");
        ::VariantClear(&entry);
    }
    return out;
}

TEST_F(ComTest, RunsAnUploadInTheSystemsContainer)
{
    test::LoopbackServer server;
    test::ServerScript script;
    script.response = "HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\naccepted";
    server.SetScript(script);
    test::TempDir dir;
    const std::filesystem::path photo = dir.Path() / L"photo.bmp";
    WritePhoto(photo);

    HWND page = MakePage();
    ASSERT_NE(page, nullptr);
    std::wstring error;
    std::unique_ptr<PageEmbed> first = EmbedActiveX(EmbedPlace{page, RECT{0, 0, 760, 520}, nullptr}, &error);
    std::unique_ptr<PageEmbed> second = EmbedActiveX(EmbedPlace{page, RECT{760, 0, 1000, 520}, nullptr}, &error);
    ASSERT_TRUE(first && second) << error;
    ComPtr<IDispatch> control(first->ScriptObject(), false), other(second->ScriptObject(), false);
    HWND wnd = first->Window();
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(::GetParent(::GetParent(wnd)), page);  // the container's window between them

    test::RecordingCallback after, failed, otherAfter, object;
    ASSERT_EQ(test::CallByName(control.Get(), L"PostUrl", DISPATCH_PROPERTYPUT,
                               {test::Text(server.Url(L"/upload").c_str())}),
              S_OK);
    test::CallByName(control.Get(), L"Object", DISPATCH_PROPERTYPUT, {test::Dispatch(&object)});
    test::CallByName(control.Get(), L"AfterImagesPosted", DISPATCH_PROPERTYPUT, {test::Dispatch(&after)});
    test::CallByName(control.Get(), L"OnError", DISPATCH_PROPERTYPUT, {test::Dispatch(&failed)});
    test::CallByName(other.Get(), L"AfterImagesPosted", DISPATCH_PROPERTYPUT, {test::Dispatch(&otherAfter)});

    DropOn(control.Get(), photo.wstring());
    test::PumpFor(500);
    ASSERT_TRUE(test::PressNamed(wnd, L"post"));
    ASSERT_TRUE(test::PumpUntil([&] { return !after.calls.empty() || !failed.calls.empty(); }, 20000));
    ASSERT_EQ(after.calls.size(), 1u);
    EXPECT_TRUE(failed.calls.empty());
    // Carried back from another apartment to the page's thread, with the page's Object.
    EXPECT_EQ(after.calls[0].thread, ::GetCurrentThreadId());
    EXPECT_EQ(after.calls[0].argument, &object);
    test::PumpFor(200);
    EXPECT_TRUE(otherAfter.calls.empty());
    EXPECT_EQ(server.Requests().size(), 1u);

    // The results, in the script forms: a VBScript variable, and the value JScript reads.
    VARIANT response;
    ::VariantInit(&response);
    test::CallByName(control.Get(), L"Response", DISPATCH_PROPERTYGET, {}, &response);
    EXPECT_STREQ(V_BSTR(&response), L"accepted");
    ::VariantClear(&response);
    VARIANT files, byRef, result;
    ::VariantInit(&files);
    ::VariantInit(&byRef);
    ::VariantInit(&result);
    V_VT(&byRef) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&byRef) = &files;
    ASSERT_EQ(test::CallByName(control.Get(), L"GetPostedFiles", DISPATCH_METHOD, {byRef}), S_OK);
    EXPECT_EQ(Entries(files), std::vector<std::wstring>{L"accepted"});
    ASSERT_EQ(test::CallByName(control.Get(), L"GetPostedFiles", DISPATCH_METHOD, {}, &result), S_OK);
    EXPECT_EQ(Entries(result), std::vector<std::wstring>{L"accepted"});  // the list is kept
    ::VariantClear(&files);
    ::VariantClear(&result);

    // The page goes: the controls are deactivated and released, and the DLL may unload.
    control.Reset();
    other.Reset();
    first->Close();
    second->Close();
    ::DestroyWindow(page);
    EXPECT_EQ(after.refs, 1);
    EXPECT_EQ(object.refs, 1);
    EXPECT_TRUE(test::PumpUntil([] { return test::ControlDllCanUnloadNow() == S_OK; }, 5000));
}

// A page that hides and shows the element: the container deactivates the control, which
// loses its window, and activates it again in a new one.
TEST_F(ComTest, AControlDeactivatedDuringARunTellsThePageAndWorksWhenShownAgain)
{
    test::LoopbackServer server(4096);
    test::ServerScript slow;
    slow.response = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nslow";
    slow.readChunk = 2048;
    slow.pauseMs = 40;
    server.SetScript(slow);
    test::TempDir dir;
    const std::filesystem::path photo = dir.Path() / L"large.bmp";
    WritePhoto(photo, 640, 480);

    HWND page = MakePage();
    std::wstring error;
    std::unique_ptr<PageEmbed> embed = EmbedActiveX(EmbedPlace{page, RECT{0, 0, 760, 520}, nullptr}, &error);
    ASSERT_TRUE(embed) << error;
    ComPtr<IDispatch> control(embed->ScriptObject(), false);
    test::RecordingCallback after, failed;
    test::CallByName(control.Get(), L"PostUrl", DISPATCH_PROPERTYPUT, {test::Text(server.Url(L"/upload").c_str())});
    test::CallByName(control.Get(), L"ImageUploadType", DISPATCH_PROPERTYPUT, {test::Text(L"bmp")});
    test::CallByName(control.Get(), L"AfterImagesPosted", DISPATCH_PROPERTYPUT, {test::Dispatch(&after)});
    test::CallByName(control.Get(), L"OnError", DISPATCH_PROPERTYPUT, {test::Dispatch(&failed)});
    DropOn(control.Get(), photo.wstring());
    test::PumpFor(300);
    ASSERT_TRUE(test::PressNamed(embed->Window(), L"post"));
    test::PumpFor(300);

    ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(control->QueryInterface(IID_IOleInPlaceObject, inPlace.put_void()), S_OK);
    HWND before = nullptr;
    inPlace->GetWindow(&before);
    HWND container = ::GetParent(before);
    ASSERT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(::IsWindow(before));
    // The run it was in the middle of ends as a failure the page hears of.
    ASSERT_TRUE(test::PumpUntil([&] { return !failed.calls.empty(); }, 5000));
    EXPECT_TRUE(after.calls.empty());

    ComPtr<IOleObject> object;
    ASSERT_EQ(control->QueryInterface(IID_IOleObject, object.put_void()), S_OK);
    ComPtr<IOleClientSite> site;
    ASSERT_EQ(object->GetClientSite(site.put()), S_OK);
    RECT place;
    ::GetClientRect(container, &place);
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, container, &place), S_OK);
    HWND wnd = nullptr;
    ASSERT_EQ(inPlace->GetWindow(&wnd), S_OK);
    ASSERT_TRUE(::IsWindow(wnd));

    // Built afresh: photos come in and go out as on a new page.
    server.SetScript({.response = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nagain"});
    test::CallByName(control.Get(), L"ImageUploadType", DISPATCH_PROPERTYPUT, {test::Text(L"jpg")});
    DropOn(control.Get(), photo.wstring());
    test::PumpFor(300);
    ASSERT_TRUE(test::PressNamed(wnd, L"post"));
    ASSERT_TRUE(test::PumpUntil([&] { return !after.calls.empty(); }, 20000));
    EXPECT_EQ(failed.calls.size(), 1u);

    control.Reset();
    inPlace.Reset();
    object.Reset();
    site.Reset();
    embed->Close();
    ::DestroyWindow(page);
    // The callbacks' threads let go of the control through the page's thread.
    EXPECT_TRUE(test::PumpUntil([] { return test::ControlDllCanUnloadNow() == S_OK; }, 5000));
}

}  // namespace
