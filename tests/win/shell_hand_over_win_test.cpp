// What the user typed reaches the file: the text box, text windows, rich windows and the Source
// Editor hand over what they hold before the document is saved, replaced or the program ends, and
// each unsaved thing gets a question of its own. Driven as a user drives the program: keys to the
// focused window, menu commands and accelerators, the real message boxes answered by their
// buttons, DDE through DDEML; then the files are read.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/file_win.h"
#include "app/vorn6_win.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/settings.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "document/view_io.h"
#include "resources/ids.h"
#include "text/tw_win.h"
#include "view/textbox_win.h"
#include "view/view_win.h"
#include "win/win_test_util.h"

namespace {

std::vector<std::string>& asked_ = wt::RealBoxes::asked;

using wt::file_bytes;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class HandOver : public wt::MainWindowTest {
protected:
    HandOver() : MainWindowTest("vorn_hand_over_test", SW_SHOWNOACTIVATE) {}
    void SetUp() override {
        MainWindowTest::SetUp();
        accel_ = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDA_MAIN));
    }
    void TearDown() override {
        if (IsWindow(win_)) {
            textbox_close();
            tw_close_all();
        }
        MainWindowTest::TearDown();
    }

    // A document of its own on disk, made current.
    void make(const char* name, std::vector<Obj> objs) {
        view_doc() = Document();
        for (Obj& o : objs) view_obj_put(o);
        std::string err;
        ASSERT_TRUE(view_save_file(path(name), &err)) << err;
    }
    static Obj obj(const char* id, int x, int y, int action = 0, const char* ext = "") {
        Obj o = view_obj_new(id, x, y, 1);
        o.shape = 161;
        o.action = action;
        o.ext = ext;
        return o;
    }
    void open(const char* name) {
        ASSERT_EQ(file_open_document(path(name)), 1);
        InvalidateRect(view_inst_, nullptr, FALSE);
        UpdateWindow(view_inst_);
    }
    Pt dev(Pt lp) { return view_mapping().to_device(lp); }
    void mouse(UINT msg, Pt d) { SendMessageA(view_inst_, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(d.x, d.y)); }
    void click(Pt d) {
        mouse(WM_LBUTTONDOWN, d);
        mouse(WM_LBUTTONUP, d);
        pump();
    }
    void double_click(Pt d) {
        click(d);
        mouse(WM_LBUTTONDBLCLK, d);
        mouse(WM_LBUTTONUP, d);
        pump();
    }
    // Letters, digits and blanks as keys to the focused window.
    static void type(const std::string& s) {
        for (char c : s) wt::key(c == ' ' ? VK_SPACE : static_cast<UINT>(std::toupper(static_cast<unsigned char>(c))));
    }
    // `vk` with Ctrl or Alt held, through the message loop's routing.
    void chord(UINT modifier, UINT vk) {
        BYTE keys[256];
        GetKeyboardState(keys);
        const BYTE was = keys[modifier];
        keys[modifier] = 0x80;
        SetKeyboardState(keys);
        const bool alt = modifier == VK_MENU;
        MSG m{GetFocus(), alt ? UINT{WM_SYSKEYDOWN} : UINT{WM_KEYDOWN}, vk, alt ? 0x20000001 : 1, GetTickCount(), {}};
        vorn_route_message(m, accel_);
        keys[modifier] = was;
        SetKeyboardState(keys);
        pump();
    }
    void command(int id) {
        SendMessageA(win_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        pump();
    }
    static void pump(DWORD ms = 100) { wt::pump(ms); }
    bool title_marked() const { return wt::text_of(win_).ends_with(" *"); }
    HWND newest_window() const { return tw_inst_.empty() ? nullptr : tw_inst_.back().win; }

    HACCEL accel_ = nullptr;
};

// ---- The in-place text box.

TEST_F(HandOver, WhatIsTypedInTheTextBoxIsSavedByExitSaveAndAClickBesideIt) {
    make("one.vrn", {obj("Alpha", 0, 0)});
    open("one.vrn");
    {
        wt::RealBoxes boxes;
        // A new object's box, typed into, then File > Exit and Yes.
        double_click(dev({300, -200}));
        ASSERT_NE(textbox_inst_.win, nullptr);
        type("important");
        wt::answer("Save File", IDYES);
        command(CMD_EXIT);
        EXPECT_FALSE(IsWindow(win_));
        ASSERT_EQ(asked_.size(), 1u);
        EXPECT_TRUE(has(asked_[0], "one.vrn has been changed, save it?")) << asked_[0];
    }
    EXPECT_TRUE(has(file_bytes(path("one.vrn")), "\"important\"")) << file_bytes(path("one.vrn"));
    EXPECT_FALSE(has(file_bytes(path("one.vrn")), "\"Idea\""));

    open_main();
    open("one.vrn");
    {
        wt::RealBoxes boxes;
        // Rename ID: while the box holds a change Save is offered, and Ctrl+S from the box saves it.
        double_click(dev({0, 0}));
        ASSERT_EQ(textbox_inst_.mode, 1);
        type("zeta");
        ASSERT_FALSE(file_is_changed());
        EXPECT_EQ(menu_is_disabled(CMD_SAVE), 1);
        chord(VK_CONTROL, 'S');
        EXPECT_EQ(textbox_inst_.win, nullptr);
        EXPECT_TRUE(has(file_bytes(path("one.vrn")), "\"zeta\""));
        EXPECT_FALSE(has(file_bytes(path("one.vrn")), "\"Alpha\""));
        EXPECT_FALSE(title_marked());

        // A click beside the box ends it and keeps what was typed.
        double_click(dev({-300, 200}));
        ASSERT_NE(textbox_inst_.win, nullptr);
        type("clicked");
        click(dev({300, 300}));
        EXPECT_EQ(textbox_inst_.win, nullptr);
        EXPECT_TRUE(view_obj_find_id("clicked"));
        EXPECT_TRUE(title_marked());
        chord(VK_CONTROL, 'S');
        EXPECT_TRUE(has(file_bytes(path("one.vrn")), "\"clicked\""));
        EXPECT_TRUE(asked_.empty());
    }
}

TEST_F(HandOver, WhatIsTypedInTheTextBoxIsSavedBeforeAnotherDocumentComes) {
    make("one.vrn", {obj("Alpha", 0, 0)});
    make("two.vrn", {obj("Beta", 0, 0)});
    open("one.vrn");
    open("two.vrn");
    wt::DdeClient client;
    ASSERT_TRUE(client.connect());
    wt::RealBoxes boxes;

    // Alt+Left from the Rename ID box.
    double_click(dev({0, 0}));
    type("renamed");
    wt::answer("Save File", IDYES);
    chord(VK_MENU, VK_LEFT);
    EXPECT_EQ(file_current_name(), path("one.vrn"));
    EXPECT_TRUE(has(file_bytes(path("two.vrn")), "\"renamed\"")) << file_bytes(path("two.vrn"));

    // A DDE open.
    double_click(dev({0, 0}));
    type("typed");
    wt::answer("Save File", IDYES);
    ASSERT_TRUE(client.execute("[open(\"" + path("two.vrn") + "\")]"));
    pump(500);
    EXPECT_EQ(file_current_name(), path("two.vrn"));
    EXPECT_TRUE(has(file_bytes(path("one.vrn")), "\"typed\"")) << file_bytes(path("one.vrn"));

    // Ctrl+O, with the file dialog cancelled after the question.
    double_click(dev({300, -200}));
    type("opened");
    wt::answer("Save File", IDYES);
    wt::answer("Open File", IDCANCEL);
    chord(VK_CONTROL, 'O');
    EXPECT_TRUE(has(file_bytes(path("two.vrn")), "\"opened\"")) << file_bytes(path("two.vrn"));

    // Ctrl+N.
    double_click(dev({-300, -200}));
    type("fresh");
    wt::answer("Save File", IDYES);
    chord(VK_CONTROL, 'N');
    EXPECT_TRUE(file_is_untitled());
    EXPECT_TRUE(has(file_bytes(path("two.vrn")), "\"fresh\"")) << file_bytes(path("two.vrn"));
    EXPECT_EQ(asked_.size(), 5u) << testing::PrintToString(asked_);  // four questions and the file dialog
}

// ---- Text windows.

TEST_F(HandOver, TextWindowsHandOverBeforeTheSaveQuestionAtExit) {
    make("one.vrn", {obj("Alpha", 0, 0, 0, "old")});
    std::ofstream(path("notes.txt"), std::ios::binary) << "first";
    std::ofstream(path("styled.rtf"), std::ios::binary) << "{\\rtf1\\ansi plain\\par}";
    open("one.vrn");
    {
        wt::RealBoxes boxes;
        // A changed file window asked first, and Cancel keeps the program.
        ASSERT_TRUE(file_open_by_ext(path("notes.txt")));
        type("more ");
        wt::answer("File Changed", IDCANCEL);
        command(CMD_EXIT);
        ASSERT_TRUE(IsWindow(win_));
        EXPECT_EQ(asked_, std::vector<std::string>{"File Changed: Save textfile notes.txt ?"});

        // An object's window, the file window and a rich file window, all typed into.
        click(dev({0, 0}));
        wt::key(VK_RETURN);
        ASSERT_EQ(tw_inst_.back().key, view_doc().objs.at(0).key);
        type("typed ");
        ASSERT_TRUE(file_open_by_ext(path("styled.rtf")));
        type("rich ");
        asked_.clear();
        wt::answer("File Changed", IDYES);
        wt::answer("Save File", IDYES);
        wt::answer("Save File", IDYES);
        command(CMD_EXIT);
        EXPECT_FALSE(IsWindow(win_));
        ASSERT_EQ(asked_.size(), 3u);
        EXPECT_EQ(asked_[0], "File Changed: Save textfile notes.txt ?");
        EXPECT_TRUE(has(asked_[1], "styled.rtf has been changed")) << asked_[1];
        EXPECT_TRUE(has(asked_[2], "one.vrn has been changed")) << asked_[2];
    }
    EXPECT_TRUE(has(file_bytes(path("one.vrn")), "typed old")) << file_bytes(path("one.vrn"));
    EXPECT_EQ(file_bytes(path("notes.txt")), "more first");
    EXPECT_TRUE(has(file_bytes(path("styled.rtf")), "rich")) << file_bytes(path("styled.rtf"));
}

TEST_F(HandOver, AnObjectsTextIsSavedByOpenNewReloadAndSave) {
    make("one.vrn", {obj("Alpha", 0, 0, 0, "old")});
    open("one.vrn");
    wt::RealBoxes boxes;
    auto typed_into_alpha = [&](const char* words) {
        click(dev({0, 0}));
        wt::key(VK_RETURN);
        ASSERT_FALSE(tw_inst_.empty());
        type(words);
    };
    auto alpha_text = [&] { return view_obj_find_id("Alpha") ? view_doc().objs.at(0).ext : std::string("gone"); };

    typed_into_alpha("reload ");
    wt::answer("Save File", IDYES);
    command(CMD_RELOAD);
    EXPECT_TRUE(tw_inst_.empty());
    EXPECT_EQ(alpha_text(), "reload old");
    EXPECT_TRUE(has(file_bytes(path("one.vrn")), "\"reload old\""));

    typed_into_alpha("open ");
    wt::answer("Save File", IDYES);
    wt::answer("Open File", IDCANCEL);
    command(CMD_OPEN);
    EXPECT_TRUE(has(file_bytes(path("one.vrn")), "\"open reload old\"")) << file_bytes(path("one.vrn"));

    // Ctrl+S in the object's window: the window stays and the file has its text.
    typed_into_alpha("save ");
    HWND w = newest_window();
    chord(VK_CONTROL, 'S');
    EXPECT_TRUE(IsWindow(w));
    EXPECT_TRUE(has(file_bytes(path("one.vrn")), "\"save open reload old\"")) << file_bytes(path("one.vrn"));
    EXPECT_FALSE(title_marked());

    // Ctrl+N from the diagram, the window still open with more typed.
    type("new ");
    click(dev({300, 300}));
    wt::answer("Save File", IDYES);
    chord(VK_CONTROL, 'N');
    EXPECT_TRUE(file_is_untitled());
    EXPECT_TRUE(has(file_bytes(path("one.vrn")), "\"save new open reload old\"")) << file_bytes(path("one.vrn"));
    EXPECT_EQ(asked_.size(), 4u) << testing::PrintToString(asked_);  // three questions and the file dialog
}

// ---- DDE: each question its own answer.

TEST_F(HandOver, ADdeOpenAsksAboutTheTextWindowAndTheDiagramApart) {
    make("x.vrn", {obj("Alpha", 0, 0)});
    make("other.vrn", {obj("Other", 0, 0)});
    std::ofstream(path("notes2.txt"), std::ios::binary) << "notes";
    open("x.vrn");
    const std::string before = file_bytes(path("x.vrn"));
    click(dev({300, 300}));
    command(CMD_SELECT_ALL);
    wt::key(VK_LEFT);
    ASSERT_TRUE(file_is_changed());
    wt::DdeClient client;
    ASSERT_TRUE(client.connect());
    {
        wt::RealBoxes boxes;
        ASSERT_TRUE(client.execute("[open(\"" + path("notes2.txt") + "\")]"));
        pump(500);
        ASSERT_FALSE(tw_inst_.empty());
        type("abc");
        wt::answer("File Changed", IDNO);
        wt::answer("Save File", IDYES);
        ASSERT_TRUE(client.execute("[open(\"" + path("other.vrn") + "\")]"));
        pump(800);
        ASSERT_EQ(asked_.size(), 2u);
        EXPECT_EQ(asked_[0], "File Changed: Save textfile notes2.txt ?");
        EXPECT_TRUE(has(asked_[1], "x.vrn has been changed")) << asked_[1];
    }
    EXPECT_EQ(file_current_name(), path("other.vrn"));
    EXPECT_NE(file_bytes(path("x.vrn")), before);
    EXPECT_EQ(file_bytes(path("notes2.txt")), "notes");
}

// ---- The Source Editor.

TEST_F(HandOver, TheSourceEditorAsksBeforeWritingOverANewerFile) {
    make("first.vrn", {obj("Alpha", 0, 0)});
    open("first.vrn");
    wt::RealBoxes boxes;
    command(CMD_SOURCE_EDITOR);
    ASSERT_FALSE(tw_inst_.empty());
    HWND source = newest_window();
    ASSERT_EQ(tw_inst_.back().mode, 2);
    wt::key(VK_HOME);
    type(" ");
    // The diagram is edited and saved while the source is open.
    click(dev({300, 300}));
    command(CMD_SELECT_ALL);
    wt::key(VK_RIGHT);
    chord(VK_CONTROL, 'S');
    const std::string saved = file_bytes(path("first.vrn"));
    ASSERT_FALSE(file_is_changed());

    wt::answer("File Changed", IDYES);
    wt::answer("File Changed", IDNO);
    SendMessageA(source, WM_CLOSE, 0, 0);
    pump();
    ASSERT_EQ(asked_.size(), 2u);
    EXPECT_TRUE(has(asked_[1], "first.vrn was saved after the Source Editor opened it")) << asked_[1];
    EXPECT_TRUE(IsWindow(source));
    EXPECT_EQ(file_bytes(path("first.vrn")), saved);
}

// The Source Editor's own Save asks as its close does, and the diagram then reads what it wrote:
// a later Save of the diagram keeps the source's edit.
TEST_F(HandOver, TheSourceEditorsSaveAsksAndTheDiagramReadsWhatItWrote) {
    make("first.vrn", {obj("Alpha", 0, 0)});
    open("first.vrn");
    wt::RealBoxes boxes;
    command(CMD_SOURCE_EDITOR);
    HWND source = newest_window();
    ASSERT_NE(source, nullptr);
    ASSERT_EQ(tw_inst_.back().mode, 2);
    // "Alpha" becomes "Alphaz" in the source.
    wt::key(VK_HOME);
    for (int i = 0; i < 11; ++i) wt::key(VK_RIGHT);
    type("z");
    // The diagram is moved and saved meanwhile.
    click(dev({300, 300}));
    command(CMD_SELECT_ALL);
    wt::key(VK_RIGHT);
    chord(VK_CONTROL, 'S');
    const std::string saved = file_bytes(path("first.vrn"));
    const int moved_x = view_doc().objs.at(0).x;

    SetFocus(source);
    wt::answer("File Changed", IDNO);
    chord(VK_CONTROL, 'S');
    ASSERT_EQ(asked_.size(), 1u) << testing::PrintToString(asked_);
    EXPECT_TRUE(has(asked_[0], "first.vrn was saved after the Source Editor opened it")) << asked_[0];
    EXPECT_EQ(file_bytes(path("first.vrn")), saved);

    SetFocus(source);
    wt::answer("File Changed", IDYES);
    wt::answer("Note", IDOK);
    chord(VK_CONTROL, 'S');
    ASSERT_EQ(asked_.size(), 3u) << testing::PrintToString(asked_);
    EXPECT_TRUE(has(asked_[2], "is saved to disk")) << asked_[2];
    EXPECT_TRUE(IsWindow(source));
    EXPECT_TRUE(has(file_bytes(path("first.vrn")), "\"Alphaz\"")) << file_bytes(path("first.vrn"));
    EXPECT_TRUE(view_obj_find_id("Alphaz")) << "the diagram shows what the source wrote";
    EXPECT_NE(view_doc().objs.at(0).x, moved_x);
    EXPECT_FALSE(file_is_changed());

    // Saved once more, unchanged since: asked nothing, the source written as it is.
    SetFocus(source);
    wt::answer("Note", IDOK);
    chord(VK_CONTROL, 'S');
    EXPECT_EQ(asked_.size(), 4u) << testing::PrintToString(asked_);

    // The diagram's own Save now writes what it shows: the source's edit stays.
    click(dev({300, 300}));
    command(CMD_SELECT_ALL);
    wt::key(VK_LEFT);
    chord(VK_CONTROL, 'S');
    EXPECT_TRUE(has(file_bytes(path("first.vrn")), "\"Alphaz\"")) << file_bytes(path("first.vrn"));
    SendMessageA(source, WM_CLOSE, 0, 0);
    pump();
    EXPECT_FALSE(IsWindow(source)) << "nothing to ask: the source was saved";
}

TEST_F(HandOver, ASavedSourceThatDoesNotLoadKeepsTheDiagramItsMarkAndItsHistory) {
    make("first.vrn", {obj("Alpha", 0, 0)});
    open("first.vrn");
    wt::RealBoxes boxes;
    click(dev({300, 300}));
    command(CMD_SELECT_ALL);
    wt::key(VK_RIGHT);
    ASSERT_TRUE(file_is_changed());
    const int moved_x = view_doc().objs.at(0).x;

    wt::answer("Save File", IDNO);
    command(CMD_SOURCE_EDITOR);
    HWND source = newest_window();
    ASSERT_NE(source, nullptr);
    wt::key(VK_HOME);
    type("x");
    wt::key(VK_RETURN);  // "x" alone on line 1
    wt::answer("File Changed", IDYES);
    wt::answer("File Changed", IDYES);
    wt::answer("Error", IDOK);
    SendMessageA(source, WM_CLOSE, 0, 0);
    pump();
    ASSERT_EQ(asked_.size(), 4u);
    EXPECT_TRUE(has(asked_[3], "line 1")) << asked_[3];
    EXPECT_TRUE(IsWindow(source));
    EXPECT_TRUE(file_is_changed());
    EXPECT_TRUE(title_marked());
    EXPECT_TRUE(view_can_undo());
    EXPECT_EQ(view_doc().objs.at(0).x, moved_x);
    // Saving the diagram writes it over the source that does not load.
    click(dev({300, 300}));
    chord(VK_CONTROL, 'S');
    Document back;
    std::string err;
    EXPECT_TRUE(view_read_document(path("first.vrn"), back, &err)) << err;
    EXPECT_EQ(back.objs.at(0).x, moved_x);
    wt::answer("File Changed", IDNO);
    SendMessageA(source, WM_CLOSE, 0, 0);
    pump();
}

// ---- The title's mark.

TEST_F(HandOver, AFailedChecklistLookupLeavesTheTitleUnmarked) {
    std::ofstream(path("index.kba")) << "";
    file_setting_set_text("Checklist", path("index.kba"));
    file_setting_set_text("ChecklistUser", path("user.kba"));
    make("one.vrn", {obj("Check", 0, 0, 19, "nowhere.l")});
    open("one.vrn");
    wt::RealBoxes boxes;
    click(dev({0, 0}));
    wt::answer("Note", IDOK);
    wt::key(VK_RETURN);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_TRUE(has(asked_[0], "Cannot find nowhere.l")) << asked_[0];
    EXPECT_FALSE(file_is_changed());
    EXPECT_FALSE(title_marked()) << wt::text_of(win_);
}

}  // namespace
