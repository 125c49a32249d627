// The program icon falls back to the icon named "DEFAULT_ICON".
#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>

TEST(ProgramIcon, FallsBackToTheDefaultIcon) {
    std::string path = VARNEL_DEFAULT_ICON_MODULE;
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr) << path;
    ASSERT_EQ(FindResourceA(module, MAKEINTRESOURCEA(129), MAKEINTRESOURCEA(14)), nullptr);
    EXPECT_NE(varnel::LoadAppIcon(module), nullptr);
    FreeLibrary(module);
}
