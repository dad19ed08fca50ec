// The shipped DLLs load and unload cleanly in a process: nothing in their start-up (static
// objects, library initialisation) may fail, hang or leave threads behind that outlive them.
// Each also carries the skin pictures, with the strip under its own id.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "platform/Handle.h"
#include "ui/SkinResources.h"

namespace {

TEST(Deliverables, LoadAndUnloadTwice)
{
    for (const wchar_t* path : {SF_ACTIVEX_DLL, SF_NPAPI_DLL}) {
        for (int round = 0; round < 2; ++round) {
            HMODULE module = ::LoadLibraryW(path);
            ASSERT_NE(module, nullptr) << "cannot load " << ::GetLastError();
            EXPECT_TRUE(::FreeLibrary(module));
        }
    }
}

// RT_BITMAP, in the wide form FindResourceW takes (this test is not built as UNICODE).
const wchar_t* const kBitmap = MAKEINTRESOURCEW(2);

// The bytes of a resource, or null when the module has none.
const unsigned char* ResourceData(HMODULE module, const wchar_t* type, int id, DWORD* size)
{
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    *size = found ? ::SizeofResource(module, found) : 0;
    return loaded ? static_cast<const unsigned char*>(::LockResource(loaded)) : nullptr;
}

TEST(Deliverables, CarryTheSkinsAndTheirOwnStrip)
{
    struct Case {
        const wchar_t* path;
        int strip, otherStrip;
    };
    const Case cases[] = {
        {SF_ACTIVEX_DLL, Korvel::UI::kStripIdActiveX, Korvel::UI::kStripIdNpapi},
        {SF_NPAPI_DLL, Korvel::UI::kStripIdNpapi, Korvel::UI::kStripIdActiveX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "strip " << c.strip);
        Korvel::Module module(::LoadLibraryExW(c.path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_TRUE(module) << ::GetLastError();

        DWORD size = 0;
        const auto* header =
            reinterpret_cast<const BITMAPINFOHEADER*>(ResourceData(module.Get(), kBitmap, c.strip, &size));
        ASSERT_NE(header, nullptr);
        ASSERT_GE(size, sizeof *header);
        EXPECT_EQ(header->biWidth, 131);
        EXPECT_EQ(std::abs(header->biHeight), 17);
        EXPECT_EQ(header->biBitCount, 24);
        EXPECT_EQ(ResourceData(module.Get(), kBitmap, c.otherStrip, &size), nullptr);

        for (const Korvel::UI::SkinResource& skin : Korvel::UI::kSkinResources) {
            const unsigned char* png = ResourceData(module.Get(), L"PNG", skin.id, &size);
            ASSERT_NE(png, nullptr) << skin.name;
            EXPECT_TRUE(size > 8 && std::memcmp(png, "\x89PNG\r\n\x1a\n", 8) == 0) << skin.name;
        }
    }
}

}  // namespace
