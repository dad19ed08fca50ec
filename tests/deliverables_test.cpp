// The shipped DLLs load and unload cleanly in a process: nothing in their start-up (static
// objects, library initialisation) may fail, hang or leave threads behind that outlive them.
#include <gtest/gtest.h>

#include <windows.h>

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

}  // namespace
