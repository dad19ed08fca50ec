// One plug-in instance seen from both sides: the browser drives it through the table its
// entry points fill, and the test looks at the panel and the settings behind it. Narrow
// literals here are GBK (the plug-in's code page); page texts are written as UTF-8 bytes.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "Biz/ConfigMgr.h"
#include "NpapiFixture.h"
#include "browser/PageObjects.h"
#include "npapi/Entry.h"
#include "npapi/Plugin.h"
#include "platform/TextConv.h"

namespace {

using namespace test;

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ConfigMgr::Instance()->ResetToDefaults();
        std::wstring error;
        ASSERT_TRUE(browser.Attach(&NP_GetEntryPoints, &NP_Initialize, &NP_Shutdown, &error));
    }
    static CPlugin& Plugin(Embedded& e) { return *static_cast<CPlugin*>(e.instance.Npp()->pdata); }
    static RECT PlaceInParent(HWND wnd)
    {
        RECT r{};
        ::GetWindowRect(wnd, &r);
        ::MapWindowPoints(nullptr, ::GetParent(wnd), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    TestBrowser browser;
};

TEST_F(PluginTest, TheFirstWindowBuildsThePanelAndLaterOnesOnlyMoveIt)
{
    Embedded e(browser);
    ASSERT_EQ(e.created, NPERR_NO_ERROR);
    ASSERT_EQ(e.windowed, NPERR_NO_ERROR);
    CPlugin& plugin = Plugin(e);
    ASSERT_TRUE(plugin.IsInitialised());
    EXPECT_EQ(plugin.Panel().Window(), e.instance.Window());
    EXPECT_NE(::GetWindowLongPtrW(e.instance.Window(), GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(PluginInstance::ChildProcedure()));

    // The sort box hangs on the right edge: a wider window moves it, the same box.
    HWND sort = plugin.Panel().SortBox.GetWindowHandle();
    ASSERT_NE(sort, nullptr);
    const RECT before = PlaceInParent(sort);
    EXPECT_EQ(e.instance.Resize(900, 520), NPERR_NO_ERROR);
    PumpFor(20);
    EXPECT_EQ(plugin.Panel().SortBox.GetWindowHandle(), sort);
    EXPECT_EQ(PlaceInParent(sort).left - before.left, 140);

    NPWindow none{};
    EXPECT_EQ(browser.PluginFuncs().setwindow(e.instance.Npp(), &none), NPERR_NO_ERROR);
    EXPECT_EQ(plugin.Panel().Window(), e.instance.Window());
}

TEST_F(PluginTest, DestroyGivesTheWindowBackAsTheBrowserMadeIt)
{
    Embedded e(browser);
    HWND wnd = e.instance.Window();
    ASSERT_NE(::GetWindow(wnd, GW_CHILD), nullptr);
    EXPECT_EQ(e.instance.Destroy(), NPERR_NO_ERROR);
    ASSERT_TRUE(::IsWindow(wnd));
    EXPECT_EQ(::GetWindowLongPtrW(wnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(PluginInstance::ChildProcedure()));
    EXPECT_EQ(::GetWindow(wnd, GW_CHILD), nullptr);
    // The browser may still hold the scriptable object: it answers nothing now.
    EXPECT_FALSE(Put(e.script, "PostUrl", Str("http://127.0.0.1/")));
    EXPECT_FALSE(Get(e.script, "Version").ok);

    // A browser that takes the window down first: the panel leaves with it, destroy is quiet.
    Embedded early(browser);
    ::DestroyWindow(early.instance.Window());
    EXPECT_FALSE(Plugin(early).Panel().ImageList.GetWindowHandle() &&
                 ::IsWindow(Plugin(early).Panel().ImageList.GetWindowHandle()));
    EXPECT_EQ(early.instance.Destroy(), NPERR_NO_ERROR);
}

TEST_F(PluginTest, StreamsAreTakenWholeAndDropped)
{
    Embedded e(browser);
    const std::string bytes(300000, 'x');
    std::int32_t taken = 0;
    EXPECT_EQ(e.instance.SendStream(bytes, &taken), NPERR_NO_ERROR);
    EXPECT_EQ(taken, 300000);
}

TEST_F(PluginTest, TheScriptableObjectIsOneObjectWithANewReferenceEachTime)
{
    Embedded e(browser);
    ASSERT_NE(e.script, nullptr);
    const std::uint32_t count = e.script->referenceCount;
    NPObject* again = e.instance.ScriptableObject();
    EXPECT_EQ(again, e.script);
    EXPECT_EQ(e.script->referenceCount, count + 1);
    Runtime::ReleaseObject(again);
}

TEST_F(PluginTest, PropertyWritesConvertTheirValuesAndRefuseWhatTheyCannotUse)
{
    Embedded e(browser);
    UploadPanel& panel = Plugin(e).Panel();
    ConfigMgr& config = *ConfigMgr::Instance();
    RecordingFunction* function = RecordingFunction::New();
    const std::string folderUtf8 = Korvel::Text::Utf8FromWide(L"D:\\照片");
    struct Case {
        const char* name;
        NPVariant value;
        bool accepted;
        std::function<bool()> holds;
    };
    const Case cases[] = {
        {"JpegQuality", Str("80"), true, [&] { return config.JpegQuality() == 80; }},
        {"JpegQuality", Bool(true), true, [&] { return config.JpegQuality() == 0; }},
        {"JpegQuality", Dbl(72.9), true, [&] { return config.JpegQuality() == 72; }},
        {"JpegQuality", Int(95), true, [&] { return config.JpegQuality() == 95; }},
        {"FileSizeLimit", Str("123kb"), true, [&] { return panel.FileSizeLimit() == 123; }},
        {"FileSizeLimit", Dbl(-5.7), true, [&] { return panel.FileSizeLimit() == -5; }},
        {"FileSizeLimit", Str("none"), true, [&] { return panel.FileSizeLimit() == 0; }},
        {"PostFileLimit", Int(3), true, [&] { return config.PostFileLimit() == 3; }},
        {"ThumbnailWidth", Int(120), true, [&] { return config.ThumbnailWidth() == 120; }},
        {"ThumbnailHeight", Str("90"), true, [&] { return config.ThumbnailHeight() == 90; }},
        {"PostUrl", Str("http://127.0.0.1/\xe4\xb8\x8a\xe4\xbc\xa0"), true,
         [&] { return panel.PostUrl() == "http://127.0.0.1/\xe4\xb8\x8a\xe4\xbc\xa0"; }},
        {"PostUrl", Int(5), false, [&] { return panel.PostUrl() == "http://127.0.0.1/\xe4\xb8\x8a\xe4\xbc\xa0"; }},
        {"EncodeType", Str("GB2312"), true, [&] { return panel.EncodeType() == "gb2312"; }},
        {"FileFieldName", Str("photo"), true, [&] { return config.FileFieldName() == "photo"; }},
        {"ImageUploadType", Str("PNG"), true, [&] { return config.ImageUploadType() == "PNG"; }},
        {"DefaultFolder", Str(folderUtf8.c_str()), true,
         [&] { return config.DefaultFolder() == Korvel::Text::AnsiFromWide(L"D:\\照片"); }},
        {"Debug", Bool(false), true, [&] { return !panel.Debug(); }},
        {"Debug", Int(1), false, [&] { return !panel.Debug(); }},
        {"Watermark", Bool(true), true, [&] { return config.Watermark(); }},
        {"Watermark", Str("false"), false, [&] { return config.Watermark(); }},
        {"Object", Obj(function), true, [&] { return panel.Object() == function; }},
        {"Object", Str("x"), false, [&] { return panel.Object() == function; }},
        {"Object", Null(), false, [&] { return panel.Object() == function; }},
        {"OnError", Obj(function), true, [&] { return panel.OnError() == function; }},
        {"AfterImagesPosted", Obj(function), true, [&] { return panel.AfterImagesPosted() == function; }},
        {"AfterImagesPosted", Bool(true), false, [&] { return panel.AfterImagesPosted() == function; }},
        {"Response", Str("forged"), false, [] { return true; }},
        {"Version", Str("9,9,9,9"), false, [] { return true; }},
        {"NoSuchProperty", Int(1), false, [] { return true; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Put(e.script, c.name, c.value), c.accepted);
        EXPECT_TRUE(c.holds());
    }
    EXPECT_EQ(Get(e.script, "Version").text, "2,7,90,31475");
    Runtime::ReleaseObject(function);
}

TEST_F(PluginTest, ReadsGiveVersionAndResponseAndRefuseWriteOnlyAndUnknownNames)
{
    Embedded e(browser);
    const Read version = Get(e.script, "Version");
    EXPECT_TRUE(version.ok);
    EXPECT_EQ(version.value.type, NPVariantType_String);
    EXPECT_EQ(version.text, "2,7,90,31475");
    const Read response = Get(e.script, "Response");
    EXPECT_TRUE(response.ok);
    EXPECT_EQ(response.value.type, NPVariantType_String);
    EXPECT_EQ(response.text, "");
    for (const char* name : {"JpegQuality", "PostUrl", "OnError", "NoSuchProperty", "AddField"})
        EXPECT_FALSE(Get(e.script, name).ok) << name;
    NPVariant v = version.value, r = response.value;
    Runtime::ReleaseVariantValue(&v);
    Runtime::ReleaseVariantValue(&r);

    EXPECT_TRUE(Runtime::HasProperty(nullptr, e.script, Id("Response")));
    EXPECT_FALSE(Runtime::HasProperty(nullptr, e.script, Id("AddField")));
    EXPECT_TRUE(Runtime::HasMethod(nullptr, e.script, Id("GetPostedFiles")));
    for (const char* name : {"OnImagesPosted", "FireOnError", "Version"})
        EXPECT_FALSE(Runtime::HasMethod(nullptr, e.script, Id(name))) << name;
}

TEST_F(PluginTest, AddFieldStoresTextsAndWholeNumbersAndRefusesTheRest)
{
    Embedded e(browser);
    const ExtraFieldMap& fields = Plugin(e).Panel().ExtraFields();
    NPVariant result;
    EXPECT_TRUE(Call(e.script, "AddField", {Str("uid"), Int(5)}, &result));
    EXPECT_EQ(fields.at("uid"), "5");
    EXPECT_TRUE(Call(e.script, "AddField", {Str("uid"), Str("x")}, &result));
    EXPECT_EQ(fields.at("uid"), "x");
    EXPECT_TRUE(Call(e.script, "AddField", {Str("whole"), Dbl(7.0)}, &result));
    EXPECT_EQ(fields.at("whole"), "7");

    EXPECT_FALSE(Call(e.script, "AddField", {Str("n"), Dbl(2.5)}, &result));
    EXPECT_FALSE(Call(e.script, "AddField", {Str("b"), Bool(true)}, &result));
    EXPECT_FALSE(Call(e.script, "AddField", {Str("lonely")}, &result));
    EXPECT_FALSE(Call(e.script, "AddField", {Int(1), Str("x")}, &result));
    EXPECT_FALSE(Call(e.script, "NoSuchMethod", {}, &result));
    EXPECT_EQ(fields.size(), 2u);

    EXPECT_TRUE(Call(e.script, "ClearFields", {}, &result));
    EXPECT_TRUE(fields.empty());

    EXPECT_TRUE(Runtime::InvokeDefault(nullptr, e.script, nullptr, 0, &result));
    EXPECT_EQ(Runtime::VariantText(result), "default method return val");
    Runtime::ReleaseVariantValue(&result);
}

TEST_F(PluginTest, GetPostedFilesHandsTheListOverInThePagesArrayOnce)
{
    Embedded e(browser);
    UploadPanel& panel = Plugin(e).Panel();
    panel.AppendPostedFile("first");
    panel.AppendPostedFile(Korvel::Text::AnsiFromWide(L"成功"));

    for (const std::vector<std::string>& expected :
         {std::vector<std::string>{"first", "\xe6\x88\x90\xe5\x8a\x9f"}, std::vector<std::string>{}}) {
        NPVariant result;
        ASSERT_TRUE(Call(e.script, "GetPostedFiles", {}, &result));
        ASSERT_EQ(result.type, NPVariantType_Object);
        EXPECT_TRUE(PageObjects::IsArray(result.value.objectValue));
        EXPECT_EQ(PageObjects::ArrayTexts(result.value.objectValue), expected);
        Runtime::ReleaseVariantValue(&result);
    }
    EXPECT_TRUE(panel.PostedFiles().empty());
}

TEST_F(PluginTest, CallbacksRunLaterOnTheBrowsersThreadWithTheirArguments)
{
    Embedded e(browser);
    CPlugin& plugin = Plugin(e);
    RecordingFunction* object = RecordingFunction::New();
    RecordingFunction* onError = RecordingFunction::New();
    RecordingFunction* done = RecordingFunction::New();
    ASSERT_TRUE(Put(e.script, "Object", Obj(object)));
    ASSERT_TRUE(Put(e.script, "OnError", Obj(onError)));
    ASSERT_TRUE(Put(e.script, "AfterImagesPosted", Obj(done)));

    const std::size_t queued = browser.QueuedCallCount();
    plugin.FireOnError(12029);
    plugin.OnImagesPosted();
    EXPECT_EQ(browser.QueuedCallCount(), queued + 2);
    EXPECT_TRUE(onError->calls.empty() && done->calls.empty());
    PumpUntil([&] { return !onError->calls.empty() && !done->calls.empty(); }, 2000);

    ASSERT_EQ(onError->calls.size(), 1u);
    const RecordingFunction::Call& error = onError->calls[0];
    EXPECT_EQ(error.types, (std::vector<NPVariantType>{NPVariantType_Object, NPVariantType_Int32}));
    EXPECT_EQ(error.objects[0], object);
    EXPECT_EQ(error.integers[1], 12029);
    EXPECT_EQ(error.thread, ::GetCurrentThreadId());
    ASSERT_EQ(done->calls.size(), 1u);
    EXPECT_EQ(done->calls[0].types, std::vector<NPVariantType>{NPVariantType_Object});
    EXPECT_EQ(done->calls[0].objects[0], object);

    // Replaced functions are let go at once, the rest when the instance goes.
    RecordingFunction* other = RecordingFunction::New();
    EXPECT_EQ(onError->referenceCount, 2u);
    ASSERT_TRUE(Put(e.script, "OnError", Obj(other)));
    EXPECT_EQ(onError->referenceCount, 1u);
    e.instance.Destroy();
    for (NPObject* o : {static_cast<NPObject*>(object), static_cast<NPObject*>(done), static_cast<NPObject*>(other)})
        EXPECT_EQ(o->referenceCount, 1u);
    for (RecordingFunction* f : {object, onError, done, other}) Runtime::ReleaseObject(f);
}

TEST_F(PluginTest, NoCallbackWithoutAFunctionNorForAnInstanceThatWent)
{
    RecordingFunction* onError = RecordingFunction::New();
    {
        Embedded quiet(browser);
        Plugin(quiet).FireOnError(1);
        Plugin(quiet).OnImagesPosted();
        PumpFor(50);  // nothing set: nothing to call, nothing breaks
    }
    {
        Embedded e(browser);
        ASSERT_TRUE(Put(e.script, "OnError", Obj(onError)));
        browser.HoldQueuedCalls(true);
        Plugin(e).FireOnError(2);
        e.instance.Destroy();
        browser.HoldQueuedCalls(false);
        EXPECT_EQ(browser.DeliverHeldCalls(), 1u);
    }
    EXPECT_TRUE(onError->calls.empty());
    Runtime::ReleaseObject(onError);
}

TEST_F(PluginTest, TwoInstancesInOneProcessKeepTheirOwnSettingsAndCallbacks)
{
    Embedded a(browser), b(browser);
    ASSERT_NE(a.script, b.script);
    RecordingFunction* errorsA = RecordingFunction::New();
    RecordingFunction* errorsB = RecordingFunction::New();
    ASSERT_TRUE(Put(a.script, "OnError", Obj(errorsA)));
    ASSERT_TRUE(Put(b.script, "OnError", Obj(errorsB)));
    ASSERT_TRUE(Put(a.script, "PostUrl", Str("http://127.0.0.1/a")));
    ASSERT_TRUE(Put(b.script, "PostUrl", Str("http://127.0.0.1/b")));
    NPVariant ignored;
    ASSERT_TRUE(Call(a.script, "AddField", {Str("who"), Str("a")}, &ignored));

    EXPECT_EQ(Plugin(a).Panel().PostUrl(), "http://127.0.0.1/a");
    EXPECT_EQ(Plugin(b).Panel().PostUrl(), "http://127.0.0.1/b");
    EXPECT_TRUE(Plugin(b).Panel().ExtraFields().empty());

    Plugin(a).FireOnError(7);
    PumpUntil([&] { return !errorsA->calls.empty(); }, 2000);
    ASSERT_EQ(errorsA->calls.size(), 1u);
    EXPECT_EQ(errorsA->calls[0].types[0], NPVariantType_Null);  // no Object set: null, never a null object
    EXPECT_TRUE(errorsB->calls.empty());

    // The first one going leaves the second one whole: its window and its script.
    a.instance.Destroy();
    EXPECT_NE(::GetWindowLongPtrW(b.instance.Window(), GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(PluginInstance::ChildProcedure()));
    Plugin(b).FireOnError(8);
    PumpUntil([&] { return !errorsB->calls.empty(); }, 2000);
    ASSERT_EQ(errorsB->calls.size(), 1u);
    EXPECT_EQ(errorsB->calls[0].integers[1], 8);
    EXPECT_EQ(errorsA->calls.size(), 1u);
    Runtime::ReleaseObject(errorsA);
    Runtime::ReleaseObject(errorsB);
}

}  // namespace
