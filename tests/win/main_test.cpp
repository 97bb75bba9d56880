#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "bars/doc_tools.h"
#include "ideas/pert.h"
#include "view/view_cmd.h"

int main(int argc, char** argv) {
    InitCommonControls();
    // The hooks between floors that the program installs at start-up, for tests that build
    // only part of it.
    bars_install_document_hooks();
    view_set_chart_hook(pert_chart_level);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
