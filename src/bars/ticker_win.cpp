#include "bars/ticker_win.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "bars/bars_win.h"
#include "bars/help_context.h"
#include "bars/status.h"
#include "bars/status_win.h"
#include "bars/ticker.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/shell_hooks_win.h"
#include "base/trap_win.h"
#include "document/view_io.h"
#include "resources/bartools_ids.h"
#include "resources/ids.h"

namespace {

constexpr char kHistoryFile[] = "message.txt";
constexpr UINT_PTR kFirstTimerId = 0x7100;

std::string history_override_;

std::string history_path() { return history_override_.empty() ? file_progdir_path(kHistoryFile) : history_override_; }

class WinTicker : public StatusTicker {
public:
    void created(HWND bar) override {
        bar_ = bar;
        if (!font_) font_ = bars_font(bar, 9);
        // The history of earlier runs, unless this run has posted already.
        if (ticker_model().log_serial() == 0 && ticker_model().log().empty()) {
            // Only the end is kept anyway: a huge history costs no more than a small one.
            if (auto text = file_read_part(history_path(), kTickerLogMax, true)) ticker_model().set_log(std::move(*text));
        }
        saved_serial_ = ticker_model().log_serial();
        ticker_model().restart();
        last_ = {};
        start(1000);
    }

    void timer(HWND bar, UINT_PTR id) override {
        if (!timer_id_ || id != timer_id_ || bar != bar_) return;
        KillTimer(bar_, timer_id_);
        timer_id_ = 0;
        HDC dc = GetDC(bar_);
        HGDIOBJ old = SelectObject(dc, font_);
        auto width = [dc](char c) {
            SIZE sz{};
            GetTextExtentPoint32A(dc, &c, 1, &sz);
            return static_cast<int>(sz.cx);
        };
        HintPrefs prefs = hint_get();
        last_ = ticker_model().tick(ticker_hooks().sources, width, prefs);
        SelectObject(dc, old);
        RECT inner = message_inner();
        render(dc, inner);
        ReleaseDC(bar_, dc);
        start(last_.interval);
        keep_history();
    }

    void draw(HDC dc, const RECT& area) override { render(dc, area); }

    bool paused() const override { return timer_id_ == 0; }
    UINT_PTR timer_id() const { return timer_id_; }

    void pause() override {
        if (!timer_id_) return;
        KillTimer(bar_, timer_id_);
        timer_id_ = 0;
        status_draw_field(kStPause);
    }

    void resume() override {
        if (timer_id_ || !bar_ || !IsWindow(bar_)) return;
        start(10);
        status_draw_field(kStPause);
    }

    void show_detail() override { detail(status_current_message()); }

    void detail(const TickerMessage& m) {
        if (ticker_hooks().detail && ticker_hooks().detail(m.id, m.text)) return;
        // Without the advisor the detail of a message is its whole text.
        if (m.id >= 0 && !m.text.empty()) msg_note(m.text);
    }

    void redraw_message() {
        if (!bar_ || !IsWindow(bar_)) return;
        last_ = {"", 0, ticker_model().x(), 0};
        status_draw_field(kStMessage);
    }

    // The history is kept on disk as it changes, so it outlives the run.
    void keep_history() {
        if (saved_serial_ == ticker_model().log_serial()) return;
        saved_serial_ = ticker_model().log_serial();
        std::string error;
        view_write_replace(history_path(), ticker_model().log(), &error);
    }

private:
    void start(int ms) {
        if (!bar_) return;
        next_id_ = next_id_ >= kFirstTimerId + 15 ? kFirstTimerId : next_id_ + 1;
        timer_id_ = SetTimer(bar_, next_id_, static_cast<UINT>(ms), nullptr);
    }

    RECT message_inner() const {
        RECT c;
        GetClientRect(bar_, &c);
        Rc f = status_model().field_rect(kStMessage, c.right);
        return {f.left + 1, f.top + 1, f.right - 1, f.bottom - 1};
    }

    // Draws the last step into the field's inside through a memory bitmap, so ticks never
    // flicker.
    void render(HDC dc, const RECT& area) {
        int w = area.right - area.left, h = area.bottom - area.top;
        if (w <= 0 || h <= 0) return;
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
        HGDIOBJ old_bmp = SelectObject(mem, bmp);
        RECT all = {0, 0, w, h};
        bars_fill(mem, all, kBarGrey);
        if (!last_.text.empty()) {
            HGDIOBJ old_font = SelectObject(mem, font_);
            SetBkMode(mem, TRANSPARENT);
            SetTextColor(mem, last_.colour);
            // Field left + X + 2 up to field right - 2, rows 1 to 15 of the bar.
            RECT clip = {1 + last_.offset, 0, w - 1, std::min(h, 14)};
            if (clip.right > clip.left)
                ExtTextOutA(mem, clip.left, clip.top, ETO_CLIPPED, &clip, last_.text.c_str(),
                            static_cast<UINT>(last_.text.size()), nullptr);
            SetTextColor(mem, 0);
            SelectObject(mem, old_font);
        }
        BitBlt(dc, area.left, area.top, w, h, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old_bmp);
        DeleteObject(bmp);
        DeleteDC(mem);
    }

    HWND bar_ = nullptr;
    HFONT font_ = nullptr;
    UINT_PTR timer_id_ = 0, next_id_ = kFirstTimerId;
    Ticker::Step last_;
    int saved_serial_ = 0;
};

WinTicker ticker_;

// ---- Pop-up commands of the status bar.

void respond() {
    std::optional<TickerMessage> m = ticker_model().head();
    if (!m) return;
    int was = status_ticker_pause();
    ticker_.detail(*m);
    if (was) status_ticker_resume();
}

void next_message() {
    if (!ticker_model().next_message()) {
        msg_note("No more message");
        return;
    }
    ticker_.redraw_message();
}

void clipboard_message() {
    std::string text;
    bool have = false;
    if (IsClipboardFormatAvailable(CF_TEXT) && OpenClipboard(main_inst_)) {
        if (HANDLE h = GetClipboardData(CF_TEXT)) {
            if (const char* p = static_cast<const char*>(GlobalLock(h))) {
                text = std::string(p, strnlen(p, GlobalSize(h)));
                have = true;
                GlobalUnlock(h);
            }
        }
        CloseClipboard();
    }
    if (!have) {
        msg_note("No text in Clipboard");
        return;
    }
    status_post_message(0, 0, text, 0);
}

void message_history() {
    if (!ticker_save_history()) return;
    if (shell_hooks_.open_text_file) shell_hooks_.open_text_file(history_path());
    else msg_note("The message history is in " + history_path());
}

void previous_answers() {
    if (ticker_hooks().previous_answers) ticker_hooks().previous_answers();
}
bool has_previous_answers() { return static_cast<bool>(ticker_hooks().previous_answers); }

void show_commands() { task_menu_cmd(CMD_SHOW_COMMANDS); }
void show_position() { task_menu_cmd(CMD_SHOW_MOUSE_POS); }
void preference() { status_preference_dlg(main_inst_); }
void whats_this() { help_context(138); }

const Command kCommands[] = {
    {10727, respond},
    {10728, next_message},
    {10729, clipboard_message},
    {10730, message_history},
    {10731, previous_answers, has_previous_answers},
    {10733, show_commands},
    {10734, show_position},
    {10735, preference},
    {10736, whats_this},
    {CMD_PREFERENCE, preference},
};

// ---- Preference dialog.

const char* const kSkills[] = {"Beginner", "Intermediate", "Advanced"};
const char* const kSpeeds[] = {"Very Slow", "Slow", "Average", "Fast"};
const char* const kColours[] = {"Default", "Gray", "Black", "Red", "Blue", "Green", "Yellow"};

template <size_t N>
void fill_combo(HWND win, int id, const char* const (&items)[N], int sel) {
    for (const char* s : items) SendDlgItemMessageA(win, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    SendDlgItemMessageA(win, id, CB_SETCURSEL, static_cast<WPARAM>(sel), 0);
}

int combo_sel(HWND win, int id) {
    LRESULT r = SendDlgItemMessageA(win, id, CB_GETCURSEL, 0, 0);
    return r < 0 ? 0 : static_cast<int>(r);
}

bool store_prefs(HWND win) {
    HintPrefs p;
    p.skill = combo_sel(win, IDC_PREF_SKILL);
    p.speed = combo_sel(win, IDC_PREF_SPEED);
    p.colour = combo_sel(win, IDC_PREF_COLOR);
    p.no_repeat = dlg_is_checked(win, IDC_PREF_NOREPEAT);
    TipPrefs t = tip_prefs_get();
    t.a = dlg_is_checked(win, IDC_PREF_TOOLTIP);
    t.b = dlg_is_checked(win, IDC_PREF_AUTOOPEN);
    t.c = combo_sel(win, IDC_PREF_CLOSE) + 3;
    tip_prefs_set(t);
    hint_set(p);
    return true;
}

}  // namespace

INT_PTR CALLBACK dlg_messgpref_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    try {
        switch (msg) {
        case WM_INITDIALOG: {
            dlg_on_create(win, IDD_MESSGPREF, 0);
            HintPrefs p = hint_get();
            TipPrefs t = tip_prefs_get();
            fill_combo(win, IDC_PREF_SKILL, kSkills, p.skill);
            fill_combo(win, IDC_PREF_SPEED, kSpeeds, p.speed);
            fill_combo(win, IDC_PREF_COLOR, kColours, p.colour);
            CheckDlgButton(win, IDC_PREF_NOREPEAT, p.no_repeat ? BST_CHECKED : BST_UNCHECKED);
            CheckDlgButton(win, IDC_PREF_TOOLTIP, t.a ? BST_CHECKED : BST_UNCHECKED);
            CheckDlgButton(win, IDC_PREF_AUTOOPEN, t.b ? BST_CHECKED : BST_UNCHECKED);
            for (const std::string& s : dlg_num_strings(3, 60, 1))
                SendDlgItemMessageA(win, IDC_PREF_CLOSE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
            SendDlgItemMessageA(win, IDC_PREF_CLOSE, CB_SETCURSEL, static_cast<WPARAM>(t.c - 3), 0);
            return TRUE;
        }
        case WM_COMMAND: return dlg_ok_cancel(win, wp, store_prefs);
        case WM_DESTROY: dlg_on_destroy(win, IDD_MESSGPREF, 0); break;
        }
    } catch (...) {
        bars_trap();
    }
    return FALSE;
}

bool status_preference_dlg(HWND parent) {
    return DialogBoxParamA(bars_instance(), MAKEINTRESOURCEA(IDD_MESSGPREF), parent, trap_dlg<dlg_messgpref_eh>, 0) == IDOK;
}

int status_ticker_pause() {
    if (ticker_.paused()) return 0;
    ticker_.pause();
    return 1;
}

void status_ticker_resume() { ticker_.resume(); }
bool status_ticker_paused() { return ticker_.paused(); }
UINT_PTR status_ticker_timer_id() { return ticker_.timer_id(); }

bool ticker_save_history() {
    std::string error;
    if (view_write_replace(history_path(), ticker_model().log(), &error)) return true;
    msg_error("Saving " + history_path() + (error.empty() ? "" : ": " + error));
    return false;
}

void ticker_init() {
    status_set_ticker(&ticker_);
    cmd_register_all(kCommands);
}

void ticker_set_history_file(const std::string& path) { history_override_ = path; }
std::string ticker_history_file() { return history_path(); }
