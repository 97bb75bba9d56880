// The main title shows whether the document differs from its file.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "app/file_win.h"
#include "base/file.h"
#include "document/doc_util.h"
#include "document/view.h"
#include "resources/ids.h"
#include "win/win_test_util.h"

namespace {

std::string doc_text(const char* id) {
    std::string t;
    for (int k = 1; k <= 60; ++k)
        t += "j_(" + std::to_string(k) + ",\"" + id + " " + std::to_string(k) + "\",1," + std::to_string(k * 40) +
             ",0,0,0,161,0,1,0,0,\"\")\r\n";
    return t + "p_(350,20110)\r\n";
}

std::string title(HWND w) {
    char t[512] = {};
    GetWindowTextA(w, t, sizeof t);
    return t;
}

class ShellTitle : public wt::MainWindowTest {
protected:
    ShellTitle() : MainWindowTest("vorn_title_test") {}
    void open_doc(const std::string& name, const char* id) {
        std::ofstream(name, std::ios::binary) << doc_text(id);
        ASSERT_EQ(file_open_document(name), 1);
    }
    void command(int id) { SendMessageA(win_, WM_COMMAND, id, 0); }
};

// The changed mark shows from the first edit, goes with a save, and goes when Undo returns to
// what was saved.
TEST_F(ShellTitle, TheTitleShowsWhetherTheDocumentDiffersFromItsFile) {
    open_doc(path("t.vrn"), "one");
    const std::string clean = title(win_);
    EXPECT_EQ(clean, "Vorn Idea Processor - [" + file_lower(path("t.vrn")) + "]");
    command(CMD_SELECT_ALL);
    command(CMD_DELETE);
    EXPECT_EQ(title(win_), clean + " *");
    command(CMD_UNDO);
    EXPECT_EQ(title(win_), clean);
    command(CMD_REDO);
    EXPECT_EQ(title(win_), clean + " *");
    command(CMD_SAVE);
    EXPECT_EQ(title(win_), clean);
    command(CMD_UNDO);
    EXPECT_EQ(title(win_), clean + " *");
    command(CMD_REDO);
    EXPECT_EQ(title(win_), clean);
}

}  // namespace
