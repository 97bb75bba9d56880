#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "bars/doc_tools.h"
#include "ideas/pert.h"
#include "view/view_cmd.h"
#include "win/win_test_util.h"

// The kill test runs this program again as the process it kills.
int save_kill_child(int argc, char** argv);

int main(int argc, char** argv) {
    if (int rc = save_kill_child(argc, argv); rc >= 0) return rc;
    InitCommonControls();
    // The hooks between floors that the program installs at start-up, for tests that build
    // only part of it.
    bars_install_document_hooks();
    view_set_chart_hook(pert_chart_level);
    SetEnvironmentVariableA("VORN_SETTINGS_KEY", (wt::test_root() + "\\Program\\IniStr").c_str());
    testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    reg_delete_tree(HKEY_CURRENT_USER, wt::test_root());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quellmark\\VornTest");  // only when no other run holds keys
    return rc;
}
