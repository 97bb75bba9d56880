#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "bars/doc_tools.h"
#include "ideas/pert.h"
#include "view/view_cmd.h"

// The kill test runs this program again as the process it kills.
int save_kill_child(int argc, char** argv);

int main(int argc, char** argv) {
    if (int rc = save_kill_child(argc, argv); rc >= 0) return rc;
    InitCommonControls();
    // The hooks between floors that the program installs at start-up, for tests that build
    // only part of it.
    bars_install_document_hooks();
    view_set_chart_hook(pert_chart_level);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
