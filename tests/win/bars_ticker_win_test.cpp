#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bars/status.h"
#include "bars/tbar.h"
#include "bars/tbar_win.h"
#include "bars/ticker.h"
#include "bars/ticker_win.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/settings.h"
#include "base/shell_hooks_win.h"
#include "resources/bartools_ids.h"
#include "resources/ids.h"
#include "win/win_test_util.h"

namespace {

using wt::Boxes;
using wt::click;
using wt::pump;

std::string read_file(const std::string& name) {
    std::ifstream f(name, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string opened_;
bool record_open(const std::string& name) {
    opened_ = name;
    return true;
}

class TickerMain : public wt::MainWindowTest {
protected:
    TickerMain() : MainWindowTest("vorn_ticker_test", SW_SHOWNORMAL) {}
    void SetUp() override {
        std::filesystem::remove(history());
        ticker_model() = Ticker{};
        MainWindowTest::SetUp();
        // The ticker alone: no advisor filling it when idle, no advisor detail.
        old_hooks_ = ticker_hooks();
        ticker_hooks().sources.idle = nullptr;
        ticker_hooks().detail = nullptr;
        old_open_ = shell_hooks_.open_text_file;
        shell_hooks_.open_text_file = record_open;
        opened_.clear();
    }
    void TearDown() override {
        ticker_hooks() = old_hooks_;
        shell_hooks_.open_text_file = old_open_;
        MainWindowTest::TearDown();
        ticker_model() = Ticker{};
        std::filesystem::remove(history());
    }
    static std::string history() { return ticker_history_file(); }

    // One tick of the running ticker, as its timer would give it.
    void tick() {
        ASSERT_NE(status_ticker_timer_id(), 0u);
        SendMessageA(status_inst_, WM_TIMER, status_ticker_timer_id(), 0);
    }
    RECT field(int f) const {
        RECT c;
        GetClientRect(status_inst_, &c);
        Rc r = status_model().field_rect(f, c.right);
        return {r.left, r.top, r.right, r.bottom};
    }
    void click_field(int f) {
        RECT r = field(f);
        click(status_inst_, (r.left + r.right) / 2, 8);
    }
    int pixels_of(COLORREF c) const {
        RECT r = field(kStMessage);
        HDC dc = GetDC(status_inst_);
        int n = 0;
        for (int y = r.top + 1; y < r.bottom - 1; ++y)
            for (int x = r.left + 1; x < r.right - 1; ++x) n += GetPixel(dc, x, y) == c;
        ReleaseDC(status_inst_, dc);
        return n;
    }

    bool (*old_open_)(const std::string&) = nullptr;
    TickerHooks old_hooks_;
};

TEST_F(TickerMain, MessagesScrollPauseSkipAndShowTheirDetail) {
    hint_set({3, 3, 0, 0});  // red, fast
    status_post_message(0, 0x00FFFF, "Alpha alpha", 5);
    status_post_message(0, 0x808080, "Beta beta", 6);
    tick();
    EXPECT_EQ(ticker_model().x(), 19);
    EXPECT_GT(pixels_of(0x0000FF), 10);  // the preference's red, whatever the poster gave
    wt::shot(win_, "ticker_running");
    int ticks = 0;
    while (ticker_model().y() == 0 && ticks < 100) {
        tick();
        ++ticks;
    }
    EXPECT_LE(ticks, 20);  // one pixel a tick until the first character leaves the field

    click_field(kStPause);
    EXPECT_TRUE(status_ticker_paused());
    int x = ticker_model().x();
    SendMessageA(status_inst_, WM_TIMER, 0x7100, 0);
    EXPECT_EQ(ticker_model().x(), x);

    // Skipping while paused: the next message waits at the start.
    SendMessageA(win_, WM_COMMAND, 10728, 0);
    EXPECT_TRUE(status_ticker_paused());
    EXPECT_EQ(ticker_model().head()->text, "Beta beta");
    EXPECT_EQ(ticker_model().x(), 20);

    // A click on the message shows its detail and leaves a paused ticker paused.
    click_field(kStMessage);
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_EQ(Boxes::notes[0], "Beta beta");
    EXPECT_TRUE(status_ticker_paused());
    click_field(kStPause);
    EXPECT_FALSE(status_ticker_paused());
    click_field(kStMessage);
    EXPECT_FALSE(status_ticker_paused());

    SendMessageA(win_, WM_COMMAND, 10728, 0);
    SendMessageA(win_, WM_COMMAND, 10728, 0);
    EXPECT_EQ(Boxes::notes.back(), "No more message");
    // Respond to Message with nothing queued shows nothing.
    size_t notes = Boxes::notes.size();
    SendMessageA(win_, WM_COMMAND, 10727, 0);
    EXPECT_EQ(Boxes::notes.size(), notes);
    EXPECT_FALSE(status_ticker_paused());
}

TEST_F(TickerMain, ClipboardMessagesAndTheHistorySurviveARestart) {
    status_post_message(0, 0, "first", 0);
    ASSERT_TRUE(OpenClipboard(win_));
    EmptyClipboard();
    CloseClipboard();
    SendMessageA(win_, WM_COMMAND, 10729, 0);
    EXPECT_EQ(Boxes::notes.back(), "No text in Clipboard");
    const char text[] = "From the Clipboard";
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
    memcpy(GlobalLock(h), text, sizeof text);
    GlobalUnlock(h);
    ASSERT_TRUE(OpenClipboard(win_));
    EmptyClipboard();
    SetClipboardData(CF_TEXT, h);
    CloseClipboard();
    SendMessageA(win_, WM_COMMAND, 10729, 0);
    EXPECT_EQ(ticker_model().queue().back(), (TickerMessage{"From the Clipboard", 0, 0}));

    SendMessageA(win_, WM_COMMAND, 10730, 0);
    EXPECT_EQ(opened_, history());
    EXPECT_EQ(read_file(history()), "first\nFrom the Clipboard\n");

    // A message posted later reaches the file with the next tick, without opening the history.
    status_post_message(0, 0, "later", 0);
    tick();
    ticker_model() = Ticker{};
    close_main();
    open_main();
    EXPECT_EQ(ticker_model().log(), "first\nFrom the Clipboard\nlater\n");
    EXPECT_TRUE(ticker_model().queue().empty());
}

// Lines of a text put on the clipboard by another program run past as blanks: the field shows
// just what the same words with blanks in their place show.
TEST_F(TickerMain, LineBreaksOfAClipboardMessageShowAsBlanks) {
    // The title lines of Debian's copy of the GPL, as a text editor copies them.
    std::istringstream gpl(read_file("Z:\\usr\\share\\common-licenses\\GPL-3"));
    std::string line, text, blanks;
    for (int k = 0; k < 3 && std::getline(gpl, line);) {
        line.erase(0, line.find_first_not_of(' '));
        if (line.empty()) continue;
        text += (k ? "\r\n" : "") + line.substr(0, 12);
        blanks += (k ? "  " : "") + line.substr(0, 12);
        ++k;
    }
    ASSERT_GT(text.size(), 20u) << "no GPL-3 text";
    auto shown = [&] {
        for (int k = 0; k < 5; ++k) tick();
        RECT r = field(kStMessage);
        std::vector<COLORREF> px;
        HDC dc = GetDC(status_inst_);
        for (int y = r.top + 1; y < r.bottom - 1; ++y)
            for (int x = r.left + 1; x < r.right - 1; ++x) px.push_back(GetPixel(dc, x, y));
        ReleaseDC(status_inst_, dc);
        return px;
    };
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(h), text.c_str(), text.size() + 1);
    GlobalUnlock(h);
    ASSERT_TRUE(OpenClipboard(win_));
    EmptyClipboard();
    SetClipboardData(CF_TEXT, h);
    CloseClipboard();
    SendMessageA(win_, WM_COMMAND, 10729, 0);
    ASSERT_EQ(ticker_model().queue().back().text, text);
    const auto with_breaks = shown();
    ticker_model() = Ticker{};
    status_post_message(0, 0, blanks, 0);
    EXPECT_EQ(shown(), with_breaks);
}

TEST_F(TickerMain, AHugeHistoryGivesOnlyItsEnd) {
    close_main();
    // 3 GB of history, most of it a hole the file system does not store.
    HANDLE f = CreateFileA(history().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    LARGE_INTEGER at;
    at.QuadPart = 3LL << 30;
    ASSERT_TRUE(SetFilePointerEx(f, at, nullptr, FILE_BEGIN));
    const char last[] = "the last message\n";
    DWORD wrote = 0;
    ASSERT_TRUE(WriteFile(f, last, sizeof last - 1, &wrote, nullptr));
    CloseHandle(f);
    ticker_model() = Ticker{};
    open_main();
    const std::string& log = ticker_model().log();
    EXPECT_EQ(log.size(), kTickerLogMax);
    EXPECT_TRUE(log.ends_with("the last message\n"));
    EXPECT_TRUE(Boxes::errors.empty());
}

// Chooses Fast, Yellow and 60 seconds in the Preference dialog and presses `button_`.
int button_ = IDOK;
void CALLBACK answer_pref(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = FindWindowA("#32770", "Preference");
    if (!dlg) return;
    KillTimer(nullptr, id);
    SendDlgItemMessageA(dlg, IDC_PREF_SPEED, CB_SETCURSEL, 3, 0);
    SendDlgItemMessageA(dlg, IDC_PREF_COLOR, CB_SETCURSEL, 6, 0);
    SendDlgItemMessageA(dlg, IDC_PREF_CLOSE, CB_SETCURSEL, 57, 0);
    wt::shot(dlg, "ticker_preference");
    SendMessageA(dlg, WM_COMMAND, button_, 0);
}

TEST_F(TickerMain, PreferenceDialogStoresSpeedColourAndTextBoxSeconds) {
    settings_backend()->set("Hint", "[0,1,2,1]");  // damaged: the dialog still opens with the defaults
    TipPrefs before = tip_prefs_get();
    button_ = IDCANCEL;
    SetTimer(nullptr, 0, 30, answer_pref);
    SendMessageA(win_, WM_COMMAND, CMD_PREFERENCE, 0);
    EXPECT_EQ(settings_backend()->get("Hint"), "[0,1,2,1]");
    EXPECT_EQ(tip_prefs_get().c, before.c);

    button_ = IDOK;
    SetTimer(nullptr, 0, 30, answer_pref);
    SendMessageA(win_, WM_COMMAND, 10735, 0);  // the status bar's Message Preference
    EXPECT_EQ(settings_backend()->get("Hint"), "[6,3,0,0,0,0]");
    EXPECT_EQ(tip_prefs_get().c, 60);
    EXPECT_EQ(tip_prefs_get().d, before.d);

    status_post_message(0, 0x0000FF, "now yellow", 0);
    tick();
    EXPECT_EQ(ticker_model().head()->colour, 0x00FFFFu);
    EXPECT_GT(pixels_of(0x00FFFF), 10);
}

// Drives the Toolbar Editor once it shows: `editor_step_` says what to do.
int editor_step_ = 0;
size_t shown_in_dialog_ = 0;
bool left_while_open_ = false;
void CALLBACK drive_editor(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = FindWindowA("#32770", "Toolbar Editor");
    if (!dlg) return;
    KillTimer(nullptr, id);
    HWND styles = GetDlgItem(dlg, IDC_TBE_STYLES), buttons = GetDlgItem(dlg, IDC_TBE_BUTTONS);
    auto pick_style = [&](int n) {
        RECT r;
        SendMessageA(styles, LB_GETITEMRECT, n, reinterpret_cast<LPARAM>(&r));
        click(styles, r.left + 5, (r.top + r.bottom) / 2);
    };
    if (editor_step_ == 2) {
        left_while_open_ = menu_checked(CMD_TBAR_LEFT) && IsDlgButtonChecked(dlg, IDC_TBE_LEFT) == BST_CHECKED;
        SendMessageA(GetDlgItem(dlg, IDCANCEL), BM_CLICK, 0, 0);
        return;
    }
    if (editor_step_ == 0) {
        pick_style(3);  // Viewing
        shown_in_dialog_ = tbar_model().shown().size();
        wt::shot(GetParent(dlg) ? GetParent(dlg) : dlg, "tbar_editor_viewing");
        wt::shot(dlg, "tbar_editor");
        SendMessageA(GetDlgItem(dlg, IDCANCEL), BM_CLICK, 0, 0);
        return;
    }
    pick_style(5);  // User defined 2
    SendMessageA(buttons, LB_SETSEL, FALSE, -1);
    SendMessageA(buttons, LB_SETSEL, TRUE, 19);
    SendMessageA(buttons, LB_SETSEL, TRUE, 1);
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_TBE_BUTTONS, LBN_SELCHANGE), reinterpret_cast<LPARAM>(buttons));
    shown_in_dialog_ = tbar_model().shown().size();
    SendMessageA(GetDlgItem(dlg, IDC_TBE_LEFT), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
}

TEST_F(TickerMain, ToolbarEditorPreviewsCancelsAndStoresUserLayouts) {
    settings_backend()->set("Toolbar1", "[0,1,2,3]");
    settings_backend()->set("Toolbar2", "[5]");  // damaged: the default layout, later slots unshifted
    close_main();
    open_main();
    task_menu_cmd(CMD_TBAR_TOP);
    tbar_set_style(1);
    editor_step_ = 0;
    SetTimer(nullptr, 0, 30, drive_editor);
    SendMessageA(win_, WM_COMMAND, CMD_TBAR_EDITOR, 0);
    EXPECT_EQ(shown_in_dialog_, 6u);
    EXPECT_EQ(tbar_get_style(), 1);
    EXPECT_EQ(tbar_model().shown().size(), 18u);

    editor_step_ = 1;
    SetTimer(nullptr, 0, 30, drive_editor);
    SendMessageA(win_, WM_COMMAND, CMD_TBAR_EDITOR, 0);
    EXPECT_EQ(shown_in_dialog_, 2u);
    EXPECT_EQ(settings_backend()->get("Toolbar2"), "[1,1,1,19]");
    EXPECT_EQ(settings_backend()->get("Toolbar1"), "[0,1,2,3]");
    EXPECT_EQ(settings_backend()->get("Toolbar3"), "[0,1,1,7,8,11,12,13]");
    EXPECT_TRUE(menu_checked(CMD_TBAR_LEFT));

    // The layout and its buttons come back with the next start.
    close_main();
    open_main();
    EXPECT_EQ(tbar_get_style(), 5);
    EXPECT_EQ(tbar_model().shown(), (std::vector<int>{1, 19}));
    task_menu_cmd(CMD_TBAR_TOP);
    tbar_set_style(1);
}

// The toolbar stays on the side the user put it while the editor is open and after Cancel,
// whatever side its layout was stored with.
TEST_F(TickerMain, ToolbarEditorCancelLeavesTheToolbarWhereItWas) {
    tbar_set_style(1);
    task_menu_cmd(CMD_TBAR_TOP);
    task_menu_cmd(CMD_TBAR_LEFT);
    editor_step_ = 2;
    left_while_open_ = false;
    SetTimer(nullptr, 0, 30, drive_editor);
    SendMessageA(win_, WM_COMMAND, CMD_TBAR_EDITOR, 0);
    EXPECT_TRUE(left_while_open_);
    EXPECT_TRUE(menu_checked(CMD_TBAR_LEFT));
    EXPECT_EQ(wt::rect_in(tbar_inst_, win_).right - wt::rect_in(tbar_inst_, win_).left, 28);
    EXPECT_EQ(tbar_get_style(), 1);
    task_menu_cmd(CMD_TBAR_TOP);
}

}  // namespace
