#include <windows.h>

#include <gtest/gtest.h>

#include "resources/ids.h"

TEST(Resources, MainMenuAndAcceleratorsLoad) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    HMENU m = LoadMenuA(inst, MAKEINTRESOURCEA(IDM_MAIN));
    ASSERT_NE(m, nullptr);
    EXPECT_GT(GetMenuItemCount(m), 0);
    DestroyMenu(m);
    EXPECT_NE(LoadAcceleratorsA(inst, MAKEINTRESOURCEA(IDA_MAIN)), nullptr);
}
