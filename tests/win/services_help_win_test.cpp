// The help viewer and the About window through the main window: the Help menu, F1 in the
// diagram, Help buttons and F1 on dialog controls, and moving between topics.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>

#include "app/vorn6_win.h"
#include "bars/help_context.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "document/doc_util.h"
#include "document/view.h"
#include "elements/font_win.h"
#include "resources/help_ids.h"
#include "resources/ids.h"
#include "resources/links_ids.h"
#include "services/help_win.h"
#include "services/help_whatsthis_win.h"
#include "view/view_win.h"
#include "win_test_util.h"

namespace {

std::string text_of(HWND w) {
    char buf[4096] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

class Help : public wt::MainWindowTest {
protected:
    Help() : MainWindowTest("vorn_help_test", SW_SHOWNORMAL) {}
    void SetUp() override {
        had_history_ = std::filesystem::exists(file_progdir_path("message.txt"));
        MainWindowTest::SetUp();
    }
    void TearDown() override {
        if (HWND a = FindWindowA("VornAbout", nullptr)) DestroyWindow(a);
        MainWindowTest::TearDown();
        EXPECT_EQ(help_viewer_window(), nullptr) << "closing the program closes the help";
        // The status bar's history stays out of the program directory.
        if (!had_history_) std::filesystem::remove(file_progdir_path("message.txt"));
    }
    bool had_history_ = false;
    void command(int id) {
        SendMessageA(win_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        wt::pump(30);
    }
    HWND viewer_item(int id) { return GetDlgItem(help_viewer_window(), id); }
    void pick(int list_id, const std::string& entry) {
        HWND list = viewer_item(list_id);
        LRESULT i = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry.c_str()));
        ASSERT_NE(i, LB_ERR) << entry;
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
        SendMessageA(help_viewer_window(), WM_COMMAND, MAKEWPARAM(list_id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
    void press(int id) { SendMessageA(viewer_item(id), BM_CLICK, 0, 0); }
};

TEST_F(Help, MenuCommandsAndF1OpenTheirTopics) {
    struct Case {
        int command, topic;
        const char* title;
    } cases[] = {{CMD_HELP_NEW, 53, "New in Vorn2001"}, {CMD_HELP_TUTORIAL, 84, "Tutorial"}, {CMD_HELP_HOWTO, 61, "How To"},
                 {CMD_HELP_GLOSSARY, 37, "Glossary"},   {CMD_HELP_TOPICS, 0, "Contents"}};
    for (auto& c : cases) {
        command(c.command);
        ASSERT_NE(help_viewer_window(), nullptr);
        EXPECT_EQ(help_current_topic(), c.topic) << c.title;
        EXPECT_EQ(text_of(viewer_item(IDC_HELP_TITLE)), c.title);
    }
    HWND only = help_viewer_window();
    command(CMD_HELP_NEW);
    // F1 in the diagram goes through the accelerator table to the contents, in the same window.
    view_focus();  // as a click in the diagram leaves it
    wt::key(VK_F1);
    EXPECT_EQ(help_current_topic(), 0);
    EXPECT_EQ(help_viewer_window(), only);
    EXPECT_TRUE(text_of(viewer_item(IDC_HELP_TEXT)).find("think on screen") != std::string::npos);
    wt::shot(help_viewer_window(), "help_contents");

    // A number nobody wrote a topic for shows the contents, never an error.
    size_t boxes = wt::Boxes::errors.size() + wt::Boxes::notes.size();
    help_context(9999);
    EXPECT_EQ(help_current_topic(), 0);
    EXPECT_EQ(wt::Boxes::errors.size() + wt::Boxes::notes.size(), boxes);
}

TEST_F(Help, LinksBackForwardIndexAndSearch) {
    command(CMD_HELP_TOPICS);
    pick(IDC_HELP_SEE, "Tutorial");
    EXPECT_EQ(help_current_topic(), 84);
    pick(IDC_HELP_SEE, "How To");
    EXPECT_EQ(help_current_topic(), 61);
    EXPECT_FALSE(IsWindowEnabled(viewer_item(IDC_HELP_FORWARD)));
    press(IDC_HELP_BACK);
    press(IDC_HELP_BACK);
    EXPECT_EQ(help_current_topic(), 0);
    EXPECT_FALSE(IsWindowEnabled(viewer_item(IDC_HELP_BACK)));
    press(IDC_HELP_FORWARD);
    EXPECT_EQ(help_current_topic(), 84);
    // A new topic after going back drops the topics ahead.
    pick(IDC_HELP_SEE, "Links");
    EXPECT_FALSE(IsWindowEnabled(viewer_item(IDC_HELP_FORWARD)));

    // Typing in the word box turns the list into the index, starting with those letters.
    SetWindowTextA(viewer_item(IDC_HELP_WORDS), "reve");
    HWND list = viewer_item(IDC_HELP_LIST);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 1);
    pick(IDC_HELP_LIST, "reverse");
    EXPECT_EQ(text_of(viewer_item(IDC_HELP_TITLE)), "Links");

    press(IDC_HELP_SEARCH);
    SetWindowTextA(viewer_item(IDC_HELP_WORDS), "password");
    EXPECT_GE(SendMessageA(list, LB_GETCOUNT, 0, 0), 1);
    pick(IDC_HELP_LIST, "Encrypt/Decrypt File");
    SetWindowTextA(viewer_item(IDC_HELP_WORDS), "zzqx");
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 1);  // the note that nothing was found
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SendMessageA(help_viewer_window(), WM_COMMAND, MAKEWPARAM(IDC_HELP_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(text_of(viewer_item(IDC_HELP_TITLE)), "Encrypt/Decrypt File");
}

// A topic's training cards reach the main window as WM_TCARD: a sample document opens, a menu
// command runs; a double click or Enter on the card sends it.
TEST_F(Help, CardsOpenSamplesAndRunCommands) {
    command(CMD_HELP_TOPICS);
    HWND cards = viewer_item(IDC_HELP_CARDS);
    ASSERT_TRUE(IsWindowVisible(cards));
    EXPECT_EQ(SendMessageA(cards, LB_GETCOUNT, 0, 0), 16);
    wt::shot(help_viewer_window(), "help_cards");
    pick(IDC_HELP_CARDS, "Sample: Levels");
    EXPECT_EQ(file_name_part(file_current_name()), "untitled.vrn") << "a single click only selects";
    SendMessageA(help_viewer_window(), WM_COMMAND, MAKEWPARAM(IDC_HELP_CARDS, LBN_DBLCLK), reinterpret_cast<LPARAM>(cards));
    wt::pump(50);
    EXPECT_EQ(util_lower(file_name_part(file_current_name())), "sample03.vrn");

    // The Tutorial's first card starts a new document, through the keyboard.
    command(CMD_HELP_TUTORIAL);
    ASSERT_TRUE(IsWindowVisible(cards));
    pick(IDC_HELP_CARDS, "Start a new document");
    SetFocus(cards);
    SendMessageA(cards, WM_KEYDOWN, VK_RETURN, 0);
    wt::pump(50);
    EXPECT_EQ(file_name_part(file_current_name()), "untitled.vrn");
    EXPECT_TRUE(view_doc().objs.empty());

    // A topic without cards shows none.
    command(CMD_HELP_GLOSSARY);
    EXPECT_FALSE(IsWindowVisible(cards));
}

// F1 on a control of a dialog reaches the main window as WM_HELP, the way Windows passes it on.
TEST_F(Help, F1InADialogAndOnItsControls) {
    HWND d = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FONT), win_, dlg_font_eh, 0);
    ASSERT_NE(d, nullptr);
    auto f1 = [&](int control) {
        HWND c = GetDlgItem(d, control);
        HELPINFO hi{sizeof hi, HELPINFO_WINDOW, control, c, 0, {}};
        SendMessageA(c, WM_HELP, 0, reinterpret_cast<LPARAM>(&hi));
        wt::pump(30);
    };
    f1(IDC_FONT_EDIT0 + 2);
    HWND pop = help_popup_window();
    ASSERT_NE(pop, nullptr);
    EXPECT_TRUE(IsWindowVisible(pop));
    EXPECT_EQ(help_viewer_window(), nullptr);
    wt::shot(d, "help_popup");
    SendMessageA(pop, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(help_popup_window(), nullptr);

    // Every control beyond the listed ranges has its own text too.
    f1(10591);
    ASSERT_NE(help_popup_window(), nullptr);
    SendMessageA(help_popup_window(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(help_viewer_window(), nullptr);

    f1(IDC_FONT_NAME_HDR);  // a label: the dialog's topic
    ASSERT_NE(help_viewer_window(), nullptr);
    EXPECT_EQ(text_of(viewer_item(IDC_HELP_TITLE)), "The Option menu");
    DestroyWindow(d);
}

// The "?" mode: what the next click asks for, as a user's click reaches the captured dialog.
HWND whats_dialog_ = nullptr;
POINT whats_click_{};
enum class Finish { click, escape, lose } whats_finish_ = Finish::click;
bool whats_was_active_ = false;

void CALLBACK whats_step(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    whats_was_active_ = help_whatsthis_dialog() == whats_dialog_ && GetCapture() == whats_dialog_;
    switch (whats_finish_) {
    case Finish::click:
        PostMessageA(whats_dialog_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(whats_click_.x, whats_click_.y));
        break;
    case Finish::escape: PostMessageA(whats_dialog_, WM_KEYDOWN, VK_ESCAPE, 0); break;
    case Finish::lose: ReleaseCapture(); break;
    }
}

TEST_F(Help, WhatsThisModeGivesTheClickedControlsHelp) {
    HWND d = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FONT), win_, trap_dlg<dlg_font_eh>, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(GetWindowLongA(d, GWL_EXSTYLE) & WS_EX_CONTEXTHELP) << "the caption has its ? button";
    whats_dialog_ = d;
    RECT r = wt::rect_in(GetDlgItem(d, IDC_FONT_EDIT0 + 2), d);
    whats_click_ = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};

    for (Finish f : {Finish::escape, Finish::lose, Finish::click}) {
        whats_finish_ = f;
        whats_was_active_ = false;
        SetTimer(nullptr, 0, 30, whats_step);
        SendMessageA(d, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);  // returns when the mode ends
        EXPECT_TRUE(whats_was_active_);
        EXPECT_EQ(help_whatsthis_dialog(), nullptr);
        EXPECT_NE(GetCapture(), d);
        if (f != Finish::click) {
            EXPECT_EQ(help_popup_window(), nullptr) << "ended without asking";
        }
    }
    HWND pop = help_popup_window();
    ASSERT_NE(pop, nullptr);
    EXPECT_TRUE(IsWindowVisible(pop));
    EXPECT_EQ(help_viewer_window(), nullptr);
    wt::shot(d, "whats_this");
    SendMessageA(pop, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_EQ(help_popup_window(), nullptr);

    // Between the controls: the dialog's own topic.
    whats_finish_ = Finish::click;
    whats_click_ = {2, 2};
    SetTimer(nullptr, 0, 30, whats_step);
    SendMessageA(d, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
    ASSERT_NE(help_viewer_window(), nullptr);
    EXPECT_EQ(text_of(viewer_item(IDC_HELP_TITLE)), "The Option menu");
    DestroyWindow(d);

    // Message boxes and the system's dialogs are not ours to change.
    HWND sys = CreateWindowExA(0, "#32770", "x", WS_POPUP | WS_CAPTION, 0, 0, 50, 50, win_, nullptr, nullptr, nullptr);
    EXPECT_FALSE(GetWindowLongA(sys, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
    DestroyWindow(sys);
}

TEST_F(Help, AboutShowsItsPictureAndCloses) {
    command(CMD_ABOUT);
    HWND a = FindWindowA("VornAbout", "About");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(GetWindow(a, GW_OWNER), win_);
    EXPECT_EQ(wt::pixel(a, 10, 10), RGB(240, 176, 48));
    EXPECT_EQ(wt::pixel(a, 10, 200), RGB(28, 78, 112));
    EXPECT_NE(wt::pixel(a, 155, 155), RGB(255, 255, 255));  // the picture
    EXPECT_TRUE(wt::Boxes::errors.empty());
    wt::shot(a, "about");
    SendMessageA(GetDlgItem(a, IDOK), BM_CLICK, 0, 0);
    wt::pump(20);
    EXPECT_FALSE(IsWindow(a));
}

// A second Help > About brings the open window forward; Esc and Enter close it as they close a
// dialog, through the main loop's keys.
TEST_F(Help, AboutIsOneWindowClosedByEscOrEnter) {
    HACCEL accel = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDA_MAIN));
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        command(CMD_ABOUT);
        HWND a = FindWindowA("VornAbout", "About");
        ASSERT_NE(a, nullptr);
        command(CMD_ABOUT);
        EXPECT_EQ(FindWindowA("VornAbout", "About"), a);
        EXPECT_EQ(FindWindowExA(nullptr, a, "VornAbout", nullptr), nullptr) << "a second About window";
        HWND focus = GetFocus();
        ASSERT_TRUE(focus == a || IsChild(a, focus));
        MSG down{focus, WM_KEYDOWN, key, 1, GetTickCount(), {}};
        vorn_route_message(down, accel);
        MSG up{focus, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u), GetTickCount(), {}};
        if (IsWindow(focus)) vorn_route_message(up, accel);
        wt::pump(30);
        EXPECT_FALSE(IsWindow(a)) << key;
    }
}

}  // namespace
