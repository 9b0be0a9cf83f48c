// Where the process loads libraries from, on the real Windows.
#include "platform/win32/library_search.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(LibrarySearch, TheSystemDirectoryAloneIsSearchedAndItsLibrariesStillLoad) {
    ASSERT_TRUE(platform::LoadLibrariesFromSystemOnly());
    // The programs' own libraries come from the system directory.
    HMODULE oleaut = LoadLibraryA("oleaut32.dll");
    EXPECT_NE(oleaut, nullptr);
    if (oleaut != nullptr) {
        FreeLibrary(oleaut);
    }
}

} // namespace
