#include "text/spellcheck_win.h"

#include <set>

#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/spell.h"
#include "base/trap_win.h"
#include "document/view.h"
#include "resources/ids.h"
#include "resources/spell_ids.h"
#include "text/spellstep.h"

namespace {

constexpr int kLanguageSetting = 320;

SpellTwAccess tw_;

// The dialog's state. It lives apart from the dictionaries, so that a text window closing
// (which releases them) neither forgets what was checked nor strands the dialog.
struct Check {
    HWND dlg = nullptr;
    bool filling = false;        // the program, not the user, is setting the correction field
    HWND tw = nullptr;           // the window whose word is shown
    Key obj = 0;                 // Document scope: the object whose text window is checked
    int status = 0;
    size_t pos = 0;              // 1-based
    std::string word;
    std::string prev_word;
    std::set<Key> done;          // objects whose text was checked to the end
    int prev_where = IDC_SPELL_TEXTWINDOW;
};
Check st_;

bool is_document_scope() { return dlg_is_checked(st_.dlg, IDC_SPELL_DOCUMENT) != 0; }

void set_text(int id, const std::string& s) {
    if (id == IDC_SPELL_CORRECTION) st_.filling = true;
    SetDlgItemTextA(st_.dlg, id, s.c_str());
    st_.filling = false;
}

void enable_word_buttons(bool allow, bool change) {
    dlg_enable(st_.dlg, IDC_SPELL_ALLOW, allow);
    dlg_enable(st_.dlg, IDC_SPELL_ALLOW_LEARN, allow);
    dlg_enable(st_.dlg, IDC_SPELL_CHANGE, change);
    dlg_enable(st_.dlg, IDC_SPELL_CHANGE_LEARN, change);
}

void enable_start(bool on, const char* label = "&Start") {
    SetDlgItemTextA(st_.dlg, IDC_SPELL_START, label);
    dlg_enable(st_.dlg, IDC_SPELL_START, on);
    if (on) SendMessageA(st_.dlg, DM_SETDEFID, IDC_SPELL_START, 0);
}

bool window_open(HWND w) { return w && IsWindow(w) && tw_.text; }

// The next object of the document to check: action 0 and a text of more than 3 characters. A
// text with nothing to report needs no window of its own: it is done at once.
Key next_object() {
    for (const ObjRef& r : view_obj_each()) {
        if (st_.done.count(r.key)) continue;
        auto o = view_obj_get(r.key);
        if (!o || o->action != 0 || o->ext.size() <= 3) continue;
        std::string prev;
        if (spell_find_next(o->ext, 1, prev, spell_word_ok).status != kSpellEnd) return r.key;
        st_.done.insert(r.key);
    }
    return 0;
}

// Stores the open texts, then opens the next object's window; false when none is left.
bool open_next_object() {
    if (!tw_inst_.empty()) task_menu_cmd(CMD_CLOSE_WINDOWS);
    st_.obj = 0;
    st_.tw = nullptr;
    while (Key k = next_object()) {
        if (HWND w = tw_.open ? tw_.open(k) : nullptr) {
            st_.obj = k;
            st_.tw = w;
            st_.prev_word.clear();
            return true;
        }
        st_.done.insert(k);
    }
    return false;
}

void document_completed() {
    set_text(IDC_SPELL_WORD, "");
    set_text(IDC_SPELL_CORRECTION, "");
    enable_word_buttons(false, false);
    enable_start(false);
    SendMessageA(st_.dlg, DM_SETDEFID, IDCANCEL, 0);  // Enter now closes the dialog
    msg_note("Document completed");
}

// The text of the window is checked to its end.
void finished() {
    set_text(IDC_SPELL_STATUS, "Check successful");
    enable_word_buttons(false, false);
    if (!is_document_scope() || !st_.obj) {
        enable_start(true);
        return;
    }
    st_.done.insert(st_.obj);
    if (open_next_object()) enable_start(true, "Cont...");
    else document_completed();
}

void show(const SpellFound& f) {
    st_.status = f.status;
    st_.pos = f.pos;
    st_.word = f.word;
    set_text(IDC_SPELL_WORD, f.word);
    set_text(IDC_SPELL_CORRECTION, f.word);
    set_text(IDC_SPELL_STATUS, spell_msg(f.status));
    if (window_open(st_.tw) && tw_.select) tw_.select(st_.tw, f.pos - 1, f.pos - 1 + f.word.size());
    enable_word_buttons(f.status != kSpellEnd, false);
    if (f.status == kSpellEnd) {
        finished();
        return;
    }
    // Enter allows the word until the user edits the correction; then it changes it.
    SendMessageA(st_.dlg, DM_SETDEFID, IDC_SPELL_ALLOW, 0);
    HWND focus = GetDlgItem(st_.dlg, f.status == kSpellRejected ? IDC_SPELL_CORRECTION : IDC_SPELL_ALLOW);
    SendMessageA(st_.dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    SendDlgItemMessageA(st_.dlg, IDC_SPELL_CORRECTION, EM_SETSEL, 0, -1);
}

// The next word of window `w` from 1-based `from`.
void step_in(HWND w, size_t from) {
    if (w != st_.tw) st_.prev_word.clear();
    st_.tw = w;
    show(spell_find_next(tw_.text(w), from, st_.prev_word, spell_word_ok));
}

// From the caret of the focused window: the word under it, or the next one.
bool step_at_caret(HWND w) {
    std::string text = window_open(w) ? tw_.text(w) : std::string();
    if (text.empty()) return false;
    size_t caret = tw_.caret ? tw_.caret(w) : 0;
    step_in(w, spell_step_start(text, caret + 1));
    return true;
}

// Document scope: the focused window of an object still to check goes on from its caret;
// otherwise the next object's window opens and is checked from its start.
void start_document() {
    HWND w = tw_.focused ? tw_.focused() : nullptr;
    Key k = window_open(w) && tw_.key ? tw_.key(w) : 0;
    if (k && !st_.done.count(k)) {
        st_.obj = k;
        if (step_at_caret(w)) return;
    }
    if (!open_next_object()) {
        set_text(IDC_SPELL_STATUS, "Check successful");
        document_completed();
        return;
    }
    step_in(st_.tw, 1);
}

void start_window() {
    st_.obj = 0;
    if (!step_at_caret(tw_.focused ? tw_.focused() : nullptr)) {
        msg_error("No textwindow opened or empty textwindow");
        enable_start(true);
    }
}

// Goes on after the word shown, from 1-based `from`.
void continue_from(size_t from) {
    if (!window_open(st_.tw)) {
        finished();
        return;
    }
    if (tw_.select) tw_.select(st_.tw, from - 1, from - 1);
    if (st_.obj) step_in(st_.tw, from);
    else step_at_caret(st_.tw);
}

void on_start() {
    enable_start(false);
    enable_word_buttons(true, true);
    dlg_fit_height(st_.dlg, IDC_SPELL_US, 26);
    if (is_document_scope()) start_document();
    else start_window();
}

void on_allow() {
    if (st_.status == kSpellEnd || st_.word.empty()) return;
    spell_allow(st_.word);
    continue_from(st_.pos + st_.word.size());
}

void on_change() {
    std::string repl = dlg_get_text(st_.dlg, IDC_SPELL_CORRECTION);
    if (repl.empty() || st_.status == kSpellEnd || st_.word.empty()) return;
    if (!window_open(st_.tw)) {
        finished();
        return;
    }
    // The dialog is modeless: a text edited since the word was shown is checked again from there.
    std::string text = tw_.text(st_.tw);
    if (!spell_replace_at(text, st_.pos, st_.word, repl)) {
        st_.prev_word.clear();
        continue_from(st_.pos);
        return;
    }
    if (!tw_.replace || !tw_.replace(st_.tw, st_.pos - 1, st_.pos - 1 + st_.word.size(), repl)) {
        msg_error("The text is read-only");
        return;
    }
    st_.prev_word = repl;
    continue_from(st_.pos + repl.size());
}

void on_variant(int id) {
    view_param_set(kLanguageSetting, id - IDC_SPELL_US);
    spell_dict(0);
    spell_dict(1);
}

void on_init(HWND win) {
    st_.dlg = win;
    dlg_on_create(win, IDD_SPELL_CHECK, 1);
    std::string name = spell_custdict_name();
    file_create_if_missing(name, "");
    SetWindowTextA(win, ("Spell Check (" + name + ")").c_str());
    set_text(IDC_SPELL_STATUS, "Press Start button");
    CheckRadioButton(win, IDC_SPELL_DOCUMENT, IDC_SPELL_TEXTWINDOW, st_.prev_where);
    int lang = view_param_get(kLanguageSetting) == 1 ? 1 : 0;
    CheckRadioButton(win, IDC_SPELL_US, IDC_SPELL_UK, IDC_SPELL_US + lang);
}

// Another document: what was checked, and the windows shown, belonged to the one before; the
// check starts afresh in the new document's spelling variant.
void on_replaced(HWND win) {
    Check fresh;
    fresh.dlg = win;
    fresh.prev_where = st_.prev_where;
    st_ = fresh;
    spell_dict(0);
    spell_dict(1);
    int lang = view_param_get(kLanguageSetting) == 1 ? 1 : 0;
    CheckRadioButton(win, IDC_SPELL_US, IDC_SPELL_UK, IDC_SPELL_US + lang);
    set_text(IDC_SPELL_WORD, "");
    set_text(IDC_SPELL_CORRECTION, "");
    set_text(IDC_SPELL_STATUS, "Press Start button");
    enable_word_buttons(false, false);
    enable_start(true);
}

void on_destroy(HWND win) {
    dlg_fit_height(win, IDC_SPELL_US, 45);
    dlg_on_destroy(win, IDD_SPELL_CHECK, 1);
    spell_dict(0);
    spell_allow_clear();
    int where = st_.prev_where;
    st_ = Check{};
    st_.prev_where = where;
}

void on_command(HWND win, int id, int code) {
    switch (id) {
    case IDC_SPELL_START: on_start(); break;
    case IDCANCEL:
        st_.prev_where = dlg_is_checked(win, IDC_SPELL_DOCUMENT) ? IDC_SPELL_DOCUMENT : IDC_SPELL_TEXTWINDOW;
        DestroyWindow(win);
        break;
    case IDOK: {
        // Enter: the default button, when it is enabled.
        int def = LOWORD(SendMessageA(win, DM_GETDEFID, 0, 0));
        if (def != IDOK && IsWindowEnabled(GetDlgItem(win, def))) SendMessageA(win, WM_COMMAND, def, 0);
        break;
    }
    case IDC_SPELL_ALLOW: on_allow(); break;
    case IDC_SPELL_ALLOW_LEARN: {
        std::string word = st_.word;
        if (st_.status == kSpellEnd || word.empty()) break;
        SendMessageA(win, WM_COMMAND, IDC_SPELL_ALLOW, 0);
        spell_learn(word);
        break;
    }
    case IDC_SPELL_CHANGE: on_change(); break;
    case IDC_SPELL_CHANGE_LEARN: {
        std::string repl = dlg_get_text(win, IDC_SPELL_CORRECTION);
        if (repl.empty() || st_.status == kSpellEnd) break;
        spell_learn(repl);
        on_change();
        break;
    }
    case IDC_SPELL_CORRECTION:
        if (code == EN_CHANGE && !st_.filling && st_.status != kSpellEnd && !st_.word.empty()) {
            enable_word_buttons(true, true);
            SendMessageA(win, DM_SETDEFID, IDC_SPELL_CHANGE, 0);
        }
        break;
    case IDC_SPELL_DOCUMENT: case IDC_SPELL_TEXTWINDOW:
        // Another scope starts afresh.
        if (code == BN_CLICKED) {
            st_.obj = 0;
            st_.tw = nullptr;
            enable_start(true);
        }
        break;
    case IDC_SPELL_US: case IDC_SPELL_UK:
        if (code == BN_CLICKED) on_variant(id);
        break;
    default: break;
    }
}

INT_PTR CALLBACK dlg_spell_check_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    try {
        switch (msg) {
        case WM_INITDIALOG:
            on_init(win);
            SetFocus(GetDlgItem(win, IDC_SPELL_START));
            return FALSE;
        case WM_COMMAND: on_command(win, LOWORD(wp), HIWORD(wp)); return TRUE;
        case WM_CLOSE: on_command(win, IDCANCEL, 0); return TRUE;
        case WM_VORN_REPLACED: on_replaced(win); return dlg_stay_open(win);
        case WM_DESTROY: on_destroy(win); return FALSE;
        default: return FALSE;
        }
    } catch (const VornError& e) {
        msg_error(e.text.empty() ? "Error " + std::to_string(e.code) : e.text);
    }
    return TRUE;
}

}  // namespace

void spell_check_set_tw_access(const SpellTwAccess& access) { tw_ = access; }
const SpellTwAccess& spell_check_tw_access() { return tw_; }

HWND spell_check_window() { return st_.dlg && IsWindow(st_.dlg) ? st_.dlg : nullptr; }

void spell_check_open() {
    if (HWND open = spell_check_window()) {
        SetActiveWindow(open);
        return;
    }
    st_.done.clear();
    // Loaded afresh: the current document's spelling variant may differ from the last one's.
    spell_dict(0);
    spell_dict(1);
    CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SPELL_CHECK), main_inst_, trap_dlg<dlg_spell_check_eh>, 0);
    if (!st_.dlg) return;
    ShowWindow(st_.dlg, SW_SHOW);
    RedrawWindow(st_.dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void spell_check_init() {
    spell_set_language_hook([] { return static_cast<int>(view_param_get(kLanguageSetting)); });
    static const Command commands[] = {{CMD_SPELL_CHECK, spell_check_open}};
    cmd_register_all(commands);
}
