#include <windows.h>

#include <gtest/gtest.h>

#include "base/settings_win.h"
#include "win/win_test_util.h"

namespace {

const std::string kTestKey = wt::test_root() + "\\Settings\\IniStr";

class ShellRegistry : public testing::Test {
protected:
    void SetUp() override {
        reg_delete_tree(HKEY_CURRENT_USER, wt::test_root() + "\\Settings");
        settings_use_registry(kTestKey);
    }
    void TearDown() override {
        settings_set_backend(nullptr);
        reg_delete_tree(HKEY_CURRENT_USER, wt::test_root() + "\\Settings");
    }
};

TEST_F(ShellRegistry, ListsAndTextsRoundTripAsStrings) {
    EXPECT_EQ(file_setting_get_list("HTTP", {80, 1, 0, 1, 0}), (std::vector<int>{80, 1, 0, 1, 0}));
    file_setting_set_list("Plot", {0, 1, 10, -600, 600, -600, 600});
    file_setting_set_text("Server", "proxy.example:8080");
    RegValue raw = reg_get(HKEY_CURRENT_USER, kTestKey, "Plot", "");
    EXPECT_TRUE(raw.found);
    EXPECT_EQ(raw.text, "[0,1,10,-600,600,-600,600]");
    EXPECT_EQ(file_setting_get_list_n("Plot", {0, 0, 0, 0, 0, 0, 0}), (std::vector<int>{0, 1, 10, -600, 600, -600, 600}));
    EXPECT_EQ(file_setting_get_text("Server", "x"), "proxy.example:8080");
    EXPECT_EQ(file_setting_get_text("Missing", "dflt"), "dflt");
}

TEST_F(ShellRegistry, ForeignValuesFallBackToDefaults) {
    // A value written by hand with a wrong length, a broken list, or another value type.
    ASSERT_TRUE(reg_set_string(HKEY_CURRENT_USER, kTestKey, "Hint", "[1,2]"));
    ASSERT_TRUE(reg_set_string(HKEY_CURRENT_USER, kTestKey, "Toolbox", "[a,b,c]"));
    HKEY k;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey.c_str(), 0, KEY_SET_VALUE, &k), ERROR_SUCCESS);
    DWORD dw = 7;
    RegSetValueExA(k, "RWord", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), sizeof dw);
    // A string stored without its terminator.
    RegSetValueExA(k, "Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3);
    RegCloseKey(k);
    EXPECT_EQ(file_setting_get_list_n("Hint", {0, 1, 0, 0, 0, 0}), (std::vector<int>{0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(file_setting_get_list("Toolbox", {0, 0, 1}), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(file_setting_get_list("RWord", {1, 0, 0, 0}), (std::vector<int>{1, 0, 0, 0}));
    EXPECT_EQ(file_setting_get_text("Raw", ""), "abc");
}

// Start-up reads its settings from one reading of the key: each reads as it would alone.
TEST_F(ShellRegistry, ReadOnceGivesWhatEachReadWould) {
    {
        SettingsReadOnce none;  // no key yet: every default
        EXPECT_EQ(file_setting_get_text("Server", "dflt"), "dflt");
        file_setting_set_text("Server", "first");  // a first run writes while it reads
        EXPECT_EQ(file_setting_get_text("server", ""), "first");
    }
    ASSERT_TRUE(reg_set_string(HKEY_CURRENT_USER, kTestKey, "Plot", "[0,1,10]"));
    ASSERT_TRUE(reg_set_string(HKEY_CURRENT_USER, kTestKey, "Long", std::string(3000, 'x')));
    HKEY k;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey.c_str(), 0, KEY_SET_VALUE, &k), ERROR_SUCCESS);
    DWORD dw = 7;
    RegSetValueExA(k, "RWord", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), sizeof dw);
    RegSetValueExA(k, "Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3);
    RegCloseKey(k);
    {
        SettingsReadOnce once;
        SettingsReadOnce inner;  // a second one inside changes nothing
        EXPECT_EQ(file_setting_get_text("Server", ""), "first");
        EXPECT_EQ(file_setting_get_list("PLOT", {1}), (std::vector<int>{0, 1, 10}));
        EXPECT_EQ(file_setting_get_text("Long", "").size(), 3000u);
        EXPECT_EQ(file_setting_get_list("RWord", {1, 0}), (std::vector<int>{1, 0}));
        EXPECT_EQ(file_setting_get_text("Raw", ""), "abc");
        EXPECT_EQ(file_setting_get_text("Missing", "dflt"), "dflt");
        file_setting_set_text("Server", "second");
        EXPECT_EQ(file_setting_get_text("Server", ""), "second");
    }
    EXPECT_EQ(reg_get(HKEY_CURRENT_USER, kTestKey, "Server", "").text, "second");
    // Afterwards each read goes to the key again.
    ASSERT_TRUE(reg_set_string(HKEY_CURRENT_USER, kTestKey, "Server", "third"));
    EXPECT_EQ(file_setting_get_text("Server", ""), "third");
}

TEST_F(ShellRegistry, RegGetReportsMissingKeysAndValues) {
    RegValue v = reg_get(HKEY_CURRENT_USER, wt::test_root() + "\\Settings\\Nowhere", "X", "def");
    EXPECT_FALSE(v.found);
    EXPECT_EQ(v.text, "def");
    ASSERT_TRUE(reg_set_string(HKEY_CURRENT_USER, wt::test_root() + "\\Settings\\A\\B", "Name", "value"));
    v = reg_get(HKEY_CURRENT_USER, wt::test_root() + "\\Settings\\A\\B", "Name", "def");
    EXPECT_TRUE(v.found);
    EXPECT_EQ(v.text, "value");
    EXPECT_TRUE(reg_delete_tree(HKEY_CURRENT_USER, wt::test_root() + "\\Settings\\A"));
    EXPECT_FALSE(reg_get(HKEY_CURRENT_USER, wt::test_root() + "\\Settings\\A\\B", "Name", "").found);
}

}  // namespace
