// The plug-in under a real page script: Wine's JScript engine reaches the plug-in's
// scriptable object by member names through the test browser's bridge, and the plug-in
// reaches the page's functions, objects and arrays as the engine's own.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include "PageActions.h"
#include "page/PageEmbed.h"
#include "page/ScriptEngine.h"
#include "platform/TextConv.h"
#include "support/LoopbackServer.h"
#include "support/MessagePump.h"

namespace {

using namespace test;

const wchar_t kCheck[] = L"function check(ok, what) { if (!ok) throw new Error(what); }\n";

class BridgeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        std::wstring error;
        ASSERT_TRUE(engine.Start(&error)) << Korvel::Text::Utf8FromWide(error);
        page = ::CreateWindowExW(0, L"STATIC", L"page", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 800, 560,
                                 nullptr, nullptr, nullptr, nullptr);
        Korvel::ComPtr<IDispatch> global = engine.Global();
        embed = EmbedNpapi(EmbedPlace{page, RECT{0, 0, 760, 520}, global.Get()}, SF_NPAPI_DLL, &error);
        ASSERT_NE(embed, nullptr) << Korvel::Text::Utf8FromWide(error);
        Korvel::ComPtr<IDispatch> script(embed->ScriptObject(), false);
        ASSERT_TRUE(engine.AddObject(L"plugin", script.Get()));
        ASSERT_TRUE(Script(kCheck));
    }
    void TearDown() override
    {
        engine.Close();
        if (embed) embed->Close();
        embed.reset();
        if (page) ::DestroyWindow(page);
        ::OleUninitialize();
    }
    ::testing::AssertionResult Script(const std::wstring& text)
    {
        std::wstring error;
        if (engine.Run(text, L"page", &error)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << Korvel::Text::Utf8FromWide(error);
    }

    ScriptEngine engine;
    HWND page = nullptr;
    std::unique_ptr<PageEmbed> embed;
};

TEST_F(BridgeTest, AScriptReachesPropertiesAndMethodsByNameWithTheirRefusals)
{
    EXPECT_TRUE(Script(LR"js(
        check(plugin.Version === "2,7,90,31475", "Version " + plugin.Version);
        check(plugin.Response === "", "Response before a post");
        plugin.PostUrl = "http://127.0.0.1/上传";
        plugin.JpegQuality = "80";
        plugin.Debug = false;
        plugin.AddField("uid", 5);
        plugin.AddField("uid", "x");
        plugin.ClearFields();
        function refused(f) { try { f(); } catch (e) { return true; } return false; }
        check(refused(function () { plugin.AddField("n", 2.5); }), "AddField with 2.5");
        check(refused(function () { plugin.AddField("lonely"); }), "AddField with one argument");
        check(refused(function () { return plugin.JpegQuality; }), "reading a write-only property");
        check(refused(function () { plugin.Version = "1"; }), "writing a read-only property");
        check(refused(function () { plugin.Debug = "yes"; }), "a string for a boolean");
        check(plugin.NoSuchMember === undefined, "an unknown member");
        var files = plugin.GetPostedFiles();
        check(files instanceof Array, "the page's own Array");
        check(files.length === 0, "no files yet");
    )js"));
}

TEST_F(BridgeTest, AWholeRunEndsInThePagesFunctionsWithItsObjectAndArray)
{
    LoopbackServer server;
    server.SetScript({HttpResponse(200, "", "saved:1")});
    TempDir dir;
    ASSERT_TRUE(Script(L"var page = { name: 'page' }; var done = null, failed = null;\n"
                       L"plugin.Object = page;\n"
                       L"plugin.PostUrl = '" + server.Url(L"/upload.php") + L"';\n"
                       LR"js(
        plugin.AfterImagesPosted = function (o) {
            done = { count: arguments.length, same: o === page, files: plugin.GetPostedFiles(),
                     response: plugin.Response };
        };
        plugin.OnError = function (o, code) {
            failed = { count: arguments.length, same: o === page, code: code };
        };
    )js"));
    DropFiles(embed->Window(), {MakePhoto(dir, L"p1.jpg")});
    PumpFor(300);
    ClickPost(embed->Window());
    ASSERT_TRUE(PumpUntil([&] { return Script(L"check(done || failed, 'waiting');"); }, 20000));
    EXPECT_TRUE(Script(LR"js(
        check(failed === null, "no error");
        check(done.count === 1 && done.same, "AfterImagesPosted(Object)");
        check(done.files instanceof Array && done.files.length === 1, "one file in an engine array");
        check(done.files[0] === "saved:1" && done.response === "saved:1", "the server's answer");
    )js"));

    server.SetScript({HttpResponse(500, "", "broken")});
    DropFiles(embed->Window(), {MakePhoto(dir, L"p2.jpg")});
    PumpFor(300);
    ClickPost(embed->Window());
    ASSERT_TRUE(PumpUntil([&] { return Script(L"check(failed, 'waiting');"); }, 20000));
    EXPECT_TRUE(Script(LR"js(
        check(failed.count === 2 && failed.same, "OnError(Object, code)");
        check(failed.code === 2, "the status error code, not " + failed.code);
    )js"));
}

}  // namespace
