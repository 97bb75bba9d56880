#include "text/spellcheck_win.h"

#include <optional>
#include <set>

#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/spell.h"
#include "base/util.h"
#include "document/doc_util.h"
#include "document/undo.h"
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
    // The word shown: in window `tw`, or in the text of object `obj` (Document scope).
    HWND tw = nullptr;
    Key obj = 0;
    int status = 0;
    size_t pos = 0;              // 1-based
    std::string word;
    std::string prev_word;
    size_t next_from = 1;        // Document scope: where the next step of `obj` starts
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

void enable_start(bool on) {
    dlg_enable(st_.dlg, IDC_SPELL_START, on);
    if (on) SendMessageA(st_.dlg, DM_SETDEFID, IDC_SPELL_START, 0);
}

// The first object of the document still to check: action 0 and a text of more than 3 characters.
Key next_object() {
    for (const ObjRef& r : view_obj_each()) {
        if (st_.done.count(r.key)) continue;
        auto o = view_obj_get(r.key);
        if (o && o->action == 0 && o->ext.size() > 3) return r.key;
    }
    return 0;
}

// The text the word stands in now.
std::optional<std::string> current_text() {
    if (st_.obj) return view_obj_ext(st_.obj);
    if (st_.tw && IsWindow(st_.tw) && tw_.text) return tw_.text(st_.tw);
    return std::nullopt;
}

void finished() {
    set_text(IDC_SPELL_STATUS, "Check successful");
    enable_word_buttons(false, false);
    enable_start(true);
}

void document_completed() {
    set_text(IDC_SPELL_STATUS, "Check successful");
    set_text(IDC_SPELL_WORD, "");
    set_text(IDC_SPELL_CORRECTION, "");
    enable_word_buttons(false, false);
    enable_start(false);
    msg_note("Document completed");
}

void show(const SpellFound& f) {
    st_.status = f.status;
    st_.pos = f.pos;
    st_.word = f.word;
    set_text(IDC_SPELL_WORD, f.word);
    set_text(IDC_SPELL_CORRECTION, f.word);
    set_text(IDC_SPELL_STATUS, spell_msg(f.status));
    if (st_.tw && tw_.select) tw_.select(st_.tw, f.pos - 1, f.pos - 1 + f.word.size());
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

// The next word to report in the document's texts, object after object; a text with nothing to
// report needs no stop of its own.
void step_document() {
    // Open text windows hold newer texts than the document; they store them when closed.
    if (!tw_inst_.empty()) task_menu_cmd(CMD_CLOSE_WINDOWS);
    for (;;) {
        if (!st_.obj) {
            st_.obj = next_object();
            st_.prev_word.clear();
            st_.next_from = 1;
            if (!st_.obj) {
                document_completed();
                return;
            }
        }
        auto text = view_obj_ext(st_.obj);
        SpellFound f = text ? spell_find_next(*text, st_.next_from, st_.prev_word, spell_word_ok) : SpellFound{};
        if (f.status != kSpellEnd) {
            show(f);
            return;
        }
        st_.done.insert(st_.obj);
        st_.obj = 0;
    }
}

void step_window() {
    HWND w = tw_.focused ? tw_.focused() : nullptr;
    std::string text = w && tw_.text ? tw_.text(w) : std::string();
    if (!w || text.empty()) {
        msg_error("No textwindow opened or empty textwindow");
        enable_start(true);
        return;
    }
    if (w != st_.tw) st_.prev_word.clear();
    st_.tw = w;
    st_.obj = 0;
    size_t caret = tw_.caret ? tw_.caret(w) : 0;
    show(spell_find_next(text, spell_step_start(text, caret + 1), st_.prev_word, spell_word_ok));
}

void step() {
    if (is_document_scope()) step_document();
    else step_window();
}

// Goes on after the word shown, from 1-based `from`.
void continue_from(size_t from) {
    if (st_.obj) {
        st_.next_from = from;
        step_document();
    } else if (st_.tw && IsWindow(st_.tw)) {
        if (tw_.select) tw_.select(st_.tw, from - 1, from - 1);
        step_window();
    } else {
        finished();
    }
}

void on_start() {
    enable_start(false);
    enable_word_buttons(true, true);
    dlg_fit_height(st_.dlg, IDC_SPELL_US, 26);
    step();
}

void on_allow() {
    if (st_.status == kSpellEnd || st_.word.empty()) return;
    spell_allow(st_.word);
    continue_from(st_.pos + st_.word.size());
}

void on_change() {
    std::string repl = dlg_get_text(st_.dlg, IDC_SPELL_CORRECTION);
    if (repl.empty() || st_.status == kSpellEnd || st_.word.empty()) return;
    auto text = current_text();
    if (!text) {
        finished();
        return;
    }
    // The dialog is modeless: a text edited since the word was shown is checked again from there.
    if (!spell_replace_at(*text, st_.pos, st_.word, repl)) {
        st_.prev_word.clear();
        continue_from(st_.pos);
        return;
    }
    if (st_.obj) {
        auto o = view_obj_get(st_.obj);
        if (!o) return;
        if (util_bit_set(3, static_cast<uint32_t>(o->flags))) {
            msg_error("The text is read-only");
            return;
        }
        UndoStep undo;
        o->ext = *text;
        view_obj_put(*o);
        undo.commit("Spell Check");
    } else {
        if (!tw_.replace || !tw_.replace(st_.tw, st_.pos - 1, st_.pos - 1 + st_.word.size(), repl)) {
            msg_error("The text is read-only");
            return;
        }
        file_mark_changed();
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
    CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SPELL_CHECK), main_inst_, dlg_spell_check_eh, 0);
    if (!st_.dlg) return;
    ShowWindow(st_.dlg, SW_SHOW);
    RedrawWindow(st_.dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void spell_check_init() {
    spell_set_language_hook([] { return static_cast<int>(view_param_get(kLanguageSetting)); });
    static const Command commands[] = {{CMD_SPELL_CHECK, spell_check_open}};
    cmd_register_all(commands);
}
