// The shipped plug-in DLL as a browser meets it: loaded by path, asked for its entry points,
// read for its exports and version resource, and driven through a whole upload from the
// page's settings to the page's callbacks.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <set>

#include "NpapiFixture.h"
#include "PageActions.h"
#include "platform/TextConv.h"
#include "support/LoopbackServer.h"

namespace {

using namespace test;

class DllTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::wstring error;
        ASSERT_TRUE(browser.Load(SF_NPAPI_DLL, &error)) << Korvel::Text::Utf8FromWide(error);
    }
    TestBrowser browser;
};

TEST_F(DllTest, EntryPointsFillTheirTableAndRefuseWhatTheyCannotUse)
{
    EXPECT_EQ(browser.GetEntryPoints()(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
    EXPECT_EQ(browser.Initialize()(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
    NPNetscapeFuncs newer = browser.BrowserFuncs();
    newer.version = (1 << 8) | 0;
    EXPECT_EQ(browser.Initialize()(&newer), NPERR_INCOMPATIBLE_VERSION_ERROR);
    EXPECT_EQ(browser.Shutdown()(), NPERR_NO_ERROR);
    NPNetscapeFuncs same = browser.BrowserFuncs();
    EXPECT_EQ(browser.Initialize()(&same), NPERR_NO_ERROR);

    NPPluginFuncs table{};
    table.size = 60;  // whatever the browser says stays
    ASSERT_EQ(browser.GetEntryPoints()(&table), NPERR_NO_ERROR);
    EXPECT_EQ(table.size, 60);
    EXPECT_EQ(table.version, 27);
    EXPECT_TRUE(table.newp && table.destroy && table.setwindow && table.newstream && table.destroystream &&
                table.asfile && table.writeready && table.write && table.print && table.event && table.urlnotify &&
                table.getvalue && table.setvalue);
    EXPECT_EQ(table.javaClass, nullptr);

    // No instance.
    NPWindow window{};
    NPStream stream{};
    std::uint16_t type = NP_NORMAL;
    const void* value = nullptr;
    EXPECT_EQ(table.newp(nullptr, nullptr, NP_EMBED, 0, nullptr, nullptr, nullptr), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(table.destroy(nullptr, nullptr), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(table.setwindow(nullptr, &window), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(table.newstream(nullptr, nullptr, &stream, 0, &type), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(table.destroystream(nullptr, &stream, NPRES_DONE), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(table.writeready(nullptr, &stream), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(table.write(nullptr, &stream, 0, 1, &type), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(table.getvalue(nullptr, NPPVpluginNameString, &value), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(table.setvalue(nullptr, NPNVjavascriptEnabledBool, nullptr), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(table.event(nullptr, nullptr), 0);

    // An instance the plug-in never made.
    NPP_t stranger{};
    EXPECT_EQ(table.getvalue(&stranger, NPPVpluginNameString, &value), NPERR_GENERIC_ERROR);
    EXPECT_EQ(table.setwindow(&stranger, &window), NPERR_GENERIC_ERROR);

    // One it made: no window, an unknown question, and its name and description.
    PluginInstance instance(browser, nullptr, RECT{0, 0, 200, 100});
    ASSERT_EQ(instance.New(), NPERR_NO_ERROR);
    EXPECT_EQ(table.setwindow(instance.Npp(), nullptr), NPERR_GENERIC_ERROR);
    EXPECT_EQ(table.getvalue(instance.Npp(), NPPVpluginWindowSize, &value), NPERR_GENERIC_ERROR);
    ASSERT_EQ(table.getvalue(instance.Npp(), NPPVpluginNameString, &value), NPERR_NO_ERROR);
    EXPECT_STREQ(static_cast<const char*>(value), "npSnapferry");
    ASSERT_EQ(table.getvalue(instance.Npp(), NPPVpluginDescriptionString, &value), NPERR_NO_ERROR);
    EXPECT_EQ(Korvel::Text::WideFromCodePage(static_cast<const char*>(value), 936), L"Snapferry 网页图片上传控件");
    EXPECT_EQ(instance.Destroy(), NPERR_NO_ERROR);
}

// The names in the module's export directory.
std::set<std::string> ExportedNames(HMODULE module)
{
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::set<std::string> names;
    if (!dir.VirtualAddress) return names;
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    const auto* nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) names.insert(reinterpret_cast<const char*>(base + nameRvas[i]));
    return names;
}

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* key)
{
    void* text = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904E4\\") + key;
    if (!::VerQueryValueW(info.data(), path.c_str(), &text, &length) || !text) return L"";
    return static_cast<const wchar_t*>(text);
}

TEST(Deliverable, ExportsTheThreeEntryPointsOnlyAndCarriesItsVersion)
{
    Korvel::Module module(::LoadLibraryW(SF_NPAPI_DLL));
    ASSERT_TRUE(module);
    EXPECT_EQ(ExportedNames(module.Get()), (std::set<std::string>{"NP_GetEntryPoints", "NP_Initialize", "NP_Shutdown"}));

    const DWORD size = ::GetFileVersionInfoSizeW(SF_NPAPI_DLL, nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(::GetFileVersionInfoW(SF_NPAPI_DLL, 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(7, 2));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(31475, 90));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(VersionString(info, L"ProductName"), L"npSnapferry");
    EXPECT_EQ(VersionString(info, L"InternalName"), L"npSnapferry");
    EXPECT_EQ(VersionString(info, L"OriginalFilename"), L"npSnapferry.dll");
    EXPECT_EQ(VersionString(info, L"MIMEType"), L"application/npSnapferry");
    EXPECT_EQ(VersionString(info, L"FileDescription"), L"Snapferry 网页图片上传控件");
}

TEST_F(DllTest, APageUploadsThroughThePluginAndHearsOfSuccessAndFailure)
{
    ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
    LoopbackServer server;
    server.SetScript({HttpResponse(200, "", "saved:1")});
    TempDir dir;
    const std::wstring photo = MakePhoto(dir, L"p1.jpg");
    {
        Embedded e(browser);
        RecordingFunction* object = RecordingFunction::New();
        RecordingFunction* done = RecordingFunction::New();
        RecordingFunction* onError = RecordingFunction::New();
        const std::string url = Korvel::Text::Utf8FromWide(server.Url(L"/upload.php"));
        ASSERT_TRUE(Put(e.script, "PostUrl", Str(url.c_str())));
        ASSERT_TRUE(Put(e.script, "Object", Obj(object)));
        ASSERT_TRUE(Put(e.script, "AfterImagesPosted", Obj(done)));
        ASSERT_TRUE(Put(e.script, "OnError", Obj(onError)));
        NPVariant ignored;
        ASSERT_TRUE(Call(e.script, "AddField", {Str("uid"), Int(42)}, &ignored));

        DropFiles(e.instance.Window(), {photo});
        PumpFor(300);
        ClickPost(e.instance.Window());
        ASSERT_TRUE(PumpUntil([&] { return !done->calls.empty() || !onError->calls.empty(); }, 20000));
        ASSERT_EQ(done->calls.size(), 1u);
        EXPECT_EQ(done->calls[0].objects, std::vector<NPObject*>{object});
        ASSERT_EQ(server.Requests().size(), 1u);
        const std::string body = RequestBody(server.Requests()[0]);
        EXPECT_NE(body.find("name=\"uid\"\r\n\r\n42\r\n"), std::string::npos);
        EXPECT_NE(body.find("filename="), std::string::npos);
        EXPECT_EQ(Get(e.script, "Response").text, "saved:1");
        NPVariant files;
        ASSERT_TRUE(Call(e.script, "GetPostedFiles", {}, &files));
        ASSERT_EQ(files.type, NPVariantType_Object);
        NPVariant first;
        ASSERT_TRUE(Runtime::GetProperty(nullptr, files.value.objectValue, Runtime::GetIntIdentifier(0), &first));
        EXPECT_EQ(Runtime::VariantText(first), "saved:1");
        Runtime::ReleaseVariantValue(&first);
        Runtime::ReleaseVariantValue(&files);

        // The next photo meets a server that fails it.
        server.SetScript({HttpResponse(500, "", "broken")});
        DropFiles(e.instance.Window(), {MakePhoto(dir, L"p2.jpg")});
        PumpFor(300);
        ClickPost(e.instance.Window());
        ASSERT_TRUE(PumpUntil([&] { return !onError->calls.empty(); }, 20000));
        EXPECT_EQ(onError->calls[0].types, (std::vector<NPVariantType>{NPVariantType_Object, NPVariantType_Int32}));
        EXPECT_EQ(onError->calls[0].objects[0], object);
        EXPECT_EQ(onError->calls[0].integers[1], 2);  // the status was not 200
        EXPECT_EQ(done->calls.size(), 1u);
        for (RecordingFunction* f : {object, done, onError}) Runtime::ReleaseObject(f);
    }
    ::OleUninitialize();
}

}  // namespace
