#include "text/tw_win.h"

#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "bars/help_context.h"
#include "bars/status.h"
#include "bars/tbar_win.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/settings.h"
#include "base/shell_hooks_win.h"
#include "base/spell.h"
#include "base/tip_win.h"
#include "base/util.h"
#include "base/util_win.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "elements/font.h"
#include "elements/font_win.h"
#include "resources/ids.h"
#include "resources/text_ids.h"
#include "text/fieldedit_win.h"
#include "text/rich_win.h"
#include "text/spellcheck_win.h"
#include "text/tw.h"
#include "text/tw_frame_win.h"
#include "view/textbox_win.h"
#include "view/view_cmd.h"
#include "view/view_win.h"

namespace {

int default_w_ = 300, default_h_ = 180;  // default_size_
bool suspend_leftclick_ = false;
// Where a word-ending character was typed, and into which window; its key-up checks the word
// before it. A key-up alone (the Enter that opened the window) checks nothing.
HWND typed_break_ = nullptr;
size_t typed_at_ = 0;

bool ends_word(unsigned char c) { return c != 0 && std::strchr(" \r,.;:!?", c) != nullptr; }

constexpr std::pair<int, int> kEditHelp[] = {{4, 125}, {5, 57}};  // edit_help_: code, help topic

constexpr int kPassPopup[][2] = {
    {IDM_TW_CUT, CMD_CUT},       {IDM_TW_COPY, CMD_COPY},       {IDM_TW_PASTE, CMD_PASTE},
    {IDM_TW_DELETE, CMD_DELETE}, {IDM_TW_FIND, CMD_FIND_TEXT},  {IDM_TW_REPLACE, CMD_REPLACE_TEXT},
    {IDM_TW_INSERT, CMD_INSERT_TEXT}, {IDM_TW_SPELL, CMD_SPELL_CHECK},
};

TwInst* inst_of(HWND win) {
    for (auto& t : tw_inst_)
        if (t.win == win) return &t;
    return nullptr;
}

void remove_inst(HWND win) {
    std::erase_if(tw_inst_, [&](const TwInst& t) { return t.win == win; });
}

// Only an object's text belongs to the diagram: editing a file leaves the diagram unchanged.
void mark_changed(HWND win, bool refresh = true) {
    if (tw_entry(win).key == 0) return;
    if (refresh) file_mark_changed();
    else file_set_changed();
}

void show_status(HWND win) {
    TextModel* m = fe_model(win);
    if (!m) return;
    auto [row, col] = fe_row_col(win);
    status_show(tw_status_line(row, col, m->caret() + 1));
}

HWND create_editor(const std::string& title, const RECT& r, const LOGFONTA& font, bool read_only, bool wrap,
                   bool keywords, const std::string& text);

bool on_event(HWND win, UINT msg, WPARAM wp, LPARAM lp, LRESULT* res);

LOGFONTA file_font() {
    LOGFONTA lf{};
    lf.lfHeight = -12;  // 9 points
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    std::strcpy(lf.lfFaceName, "Courier New");
    return lf;
}

HWND create_editor(const std::string& title, const RECT& r, const LOGFONTA& font, bool read_only, bool wrap,
                   bool keywords, const std::string& text) {
    FieldEditCreate c;
    c.parent = main_inst_;
    c.rect = r;
    c.title = title;
    c.style = WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
              WS_CLIPSIBLINGS | WS_VISIBLE;
    c.font = font;
    c.read_only = read_only;
    c.wrap = wrap;
    c.keywords = keywords;
    c.text = text;
    c.handler = on_event;
    HWND win = fe_create(c);
    if (win) {
        BringWindowToTop(win);
        SetFocus(win);
    }
    return win;
}

bool save_as(HWND win, TextModel& m) {
    char buf[MAX_PATH] = {};
    std::string dir;
    if (auto cur = file_current()) dir = cur->dir;
    OPENFILENAMEA of{};
    of.lStructSize = sizeof of;
    of.hwndOwner = main_inst_;
    of.lpstrFilter = "*.txt\0*.txt\0";
    of.lpstrFile = buf;
    of.nMaxFile = MAX_PATH;
    of.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    of.lpstrTitle = "Save as Filename:";
    of.lpstrDefExt = "txt";
    of.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameA(&of)) return false;
    std::string name = buf;
    if (!tw_write_file(name, m.text())) return false;
    m.set_modified(false);
    SetWindowTextA(win, name.c_str());
    return true;
}

bool save_source(HWND win, const TwInst& t, TextModel& m, bool stay);

int save(HWND win, const TwEntry& e) {
    TextModel* m = fe_model(win);
    if (e.key != 0 || !m) return 1;
    std::string name = tw_title(win);
    if (util_lower(name).find("untitled.txt") != std::string::npos) {
        save_as(win, *m);
        return 0;
    }
    if (e.mode == 2) {
        // The source asks and reloads the diagram as its closing does, or the diagram's next Save
        // would write its older state back over the source.
        const TwInst* t = inst_of(win);
        if (!t || !save_source(win, TwInst(*t), *m, true)) return 0;
    } else if (!tw_write_file(name, m->text())) {
        return 0;
    }
    m->set_modified(false);
    msg_note("File " + name + " is saved to disk");
    return 0;
}

void sort_selection(HWND win, TextModel& m) {
    size_t a = m.sel_start();
    std::string sorted = sort_lines(m.selection());
    m.begin_group();
    m.insert_text("");
    m.set_caret(a);
    m.insert_text(sorted);
    m.end_group();
    fe_changed(win);
}

void promote(HWND win, const TwEntry& e, TextModel& m) {
    auto lines = tw_promote_lines(strip_fields(m.selection()));
    std::reverse(lines.begin(), lines.end());  // reading order
    // A read-only text gives its lines but keeps them.
    if (!fe_read_only(win)) {
        m.insert_text("");
        fe_changed(win);
    }
    view_obj_from_text(e.key, lines);
    task_menu_cmd(CMD_CLOSE_WINDOWS);
    file_mark_changed();
    view_invalidate();
}

void print(HWND win) {
    if (TextModel* m = fe_model(win)) tw_print_file(strip_fields(m->text()));
}

// Menu state while a text window has the focus (user 4).
void menu_state(HWND win) {
    HMENU menu = main_inst_ ? GetMenu(main_inst_) : nullptr;
    TextModel* m = fe_model(win);
    if (!menu || !m) return;
    auto en = [&](int id, bool on) { EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
    for (int id : {CMD_OPEN_HOLD, CMD_EXPORT_HTML, CMD_EXPORT_OUTLINE, CMD_FILE1, CMD_FILE2, CMD_FILE3, CMD_PRINT}) en(id, false);
    ModifyMenuA(menu, CMD_UNDO, MF_BYCOMMAND | MF_STRING, CMD_UNDO, "Undo Text\tCtrl+Z");
    en(CMD_UNDO, m->can_undo());
    en(CMD_REDO, m->can_redo());
    en(CMD_PASTE, fe_clipboard_has_text());
    en(CMD_DELETE, true);
    bool sel = m->has_selection();
    for (int id : {CMD_CUT, CMD_COPY, CMD_PROMOTE, CMD_UPPER_CASE, CMD_LOWER_CASE, CMD_SORT}) en(id, sel);
}

// Check while typing: the word that ends at `end` becomes a No Action field when it is misspelt.
void check_word(HWND win, size_t end) {
    TextModel* m = fe_model(win);
    if (!m || fe_read_only(win)) return;
    size_t p = std::min(end, m->size());
    while (p > 0 && (ends_word(static_cast<unsigned char>(m->text()[p - 1])) || m->text()[p - 1] == '\n')) --p;
    auto w = m->word_at(p);
    if (!w || field_at(m->text(), w->first + 1)) return;  // never a field inside a field
    std::string word = util_lower(m->text().substr(w->first, w->second - w->first));
    if (spell_word_ok(word)) return;
    size_t c = m->caret();
    m->select(w->first, w->second);
    if (!m->make_field("")) return;
    m->set_caret(c >= w->second ? c + 3 : c);
    fe_changed(win);
}

void show_menu(HWND win, POINT screen) {
    HMENU res = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_POP_TEXT));
    if (!res) return;
    TrackPopupMenu(GetSubMenu(res, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, win, nullptr);
    DestroyMenu(res);
}

void context_menu(HWND win, int x, int y) {
    TextModel* m = fe_model(win);
    if (m && !m->has_selection()) {
        // The caret goes to the click point first; no field is followed.
        suspend_leftclick_ = true;
        m->set_caret(fe_hit(win, x, y));
        fe_changed(win);
        suspend_leftclick_ = false;
    }
    POINT p{x, y};
    ClientToScreen(win, &p);
    show_menu(win, p);
}

// Shift+F10 or the Menu key: below the caret, which stays where it is.
void keyboard_menu(HWND win) {
    TextModel* m = fe_model(win);
    if (!m) return;
    POINT p = fe_point_of(win, m->caret());
    p.y += fe_row_height(win);
    show_menu(win, tw_keyboard_menu_point(win, p));
}

int32_t packed_geometry(HWND win) {
    RECT r = tw_rect_in_main(win);
    return tw_pack_geometry({r.left, r.top, r.right, r.bottom});
}

// Rule 4: the window's text and place go into its object as one step.
Obj store_text(Key key, TextModel& m, Obj o, int32_t geom) {
    if (m.modified()) {
        file_mark_changed();
        menu_enable(CMD_SAVE, 1);
    }
    o.geom = geom;
    o.ext = m.text();
    view_unmark_all();
    marked_obj_ = {key};
    {
        UndoStep step;
        view_obj_put(o);
        step.commit("Change Text");
    }
    marked_obj_.clear();
    return o;
}

void after_store(const Obj& o) {
    if (tw_needs_recompute(o.ext)) view_auto_recompute();
    if (o.flags & 1024) view_invalidate();
}

// The Source Editor's file as it was read: a file saved since (by the diagram's Save) is not
// written over unasked.
struct SourceFile {
    HWND win;
    FileStamp read;
};
std::vector<SourceFile> sources_;

FileStamp* source_stamp(HWND win) {
    for (auto& f : sources_)
        if (f.win == win) return &f.read;
    return nullptr;
}

// Yes to the Source Editor's question, or its Save (`stay`): write the source and read the
// diagram again from it. False keeps the window with its text: a question declined, a failed
// write, or a source that does not load (the diagram then keeps its edits, its mark and its history).
bool save_source(HWND win, const TwInst& t, TextModel& m, bool stay) {
    const std::string name = tw_title(win);
    const FileStamp* read = source_stamp(win);
    if (read && *read != file_stamp(name) &&
        !msg_ask_default_no(file_name_part(name) + " was saved after the Source Editor opened it. Saving the source "
                            "text replaces that version. Replace it?",
                            "File Changed"))
        return false;
    // Saving the source reloads the diagram: edits made to it since are not dropped unasked.
    if (file_is_changed() &&
        !msg_ask_default_no("Saving the source text reloads the diagram and replaces its unsaved changes. Replace them?",
                            "File Changed"))
        return false;
    if (!tw_write_file(name, m.text())) return false;
    if (FileStamp* s = source_stamp(win)) *s = file_stamp(name);
    // Out of the registry while the diagram loads, so that the load's closing of text windows
    // passes it by.
    remove_inst(win);
    if (!shell_hooks_.reload_document ||
        !shell_hooks_.reload_document("The source text was saved, but the diagram cannot be read from it, so the "
                                      "diagram keeps what it shows. Mend the line and close the Source Editor "
                                      "again, or save the diagram to write it over the source.")) {
        tw_inst_.push_back(t);
        return false;
    }
    if (stay) {
        tw_inst_.push_back(t);
        m.set_modified(false);
        return true;
    }
    DestroyWindow(win);
    return true;
}

// The closing rules; false when the window stays.
bool close_window(HWND win) {
    if (focused_tw_.win == win) focused_tw_ = {};
    TwInst* ti = inst_of(win);
    TextModel* m = fe_model(win);
    if (!ti || !m) {
        DestroyWindow(win);
        return true;
    }
    const TwInst t = *ti;
    const bool file_window = t.key == 0;
    auto obj = file_window ? std::optional<Obj>() : view_obj_get(t.key);
    if (!file_window && !obj) {  // the object is gone: nothing to store into
        remove_inst(win);
        DestroyWindow(win);
        return true;
    }
    const int32_t geom = packed_geometry(win);
    const int rule = tw_close_rule(file_window, m->modified(), obj && obj->geom == geom);
    if (rule == 1 || rule == 2) {
        remove_inst(win);
        DestroyWindow(win);
        return true;
    }
    if (rule == 3) {
        std::string name = tw_title(win);
        int a = msg_ask_yes_no_cancel("Save textfile " + file_name_part(name) + " ?", "File Changed");
        if (a == 3) return false;
        if (a == 1 && t.mode == 2) return save_source(win, t, *m, false);
        if (a == 1) {
            bool untitled = util_lower(name).find("untitled.txt") != std::string::npos;
            bool ok = untitled ? save_as(win, *m) : tw_write_file(name, m->text());
            if (!ok) return false;  // the text stays where the user can still save it
        }
        remove_inst(win);
        DestroyWindow(win);
        return true;
    }
    Obj o;
    {
        // What the user marked stays marked, so the keys go on acting on it.
        TwKeepMarks keep;
        o = store_text(t.key, *m, *obj, geom);
    }
    remove_inst(win);
    tw_close_effect(win, o);
    DestroyWindow(win);
    after_store(o);
    return true;
}

// Save: an object window's typed text goes into its object; the window stays open.
void store_staying(HWND win, Key key) {
    TextModel* m = fe_model(win);
    auto obj = view_obj_get(key);
    if (!m || !obj || !m->modified()) return;
    Obj o;
    {
        TwKeepMarks keep;
        o = store_text(key, *m, *obj, packed_geometry(win));
    }
    m->set_modified(false);
    after_store(o);
}

bool on_event(HWND win, UINT msg, WPARAM wp, LPARAM lp, LRESULT* res) {
    *res = 0;
    if (TwMenuKey k = tw_menu_key(msg, wp); k != TwMenuKey::none) {
        if (k == TwMenuKey::open) keyboard_menu(win);
        return true;
    }
    switch (msg) {
    case WM_KEYDOWN:
        if (tw_close_key(win, wp)) return true;
        show_status(win);
        if (wp != VK_SHIFT && wp != VK_CONTROL) mark_changed(win, false);
        return false;
    case WM_CHAR:
        if (TextModel* m = fe_model(win); m && ends_word(static_cast<unsigned char>(wp))) {
            typed_break_ = win;
            typed_at_ = m->sel_start();
        }
        return false;
    case WM_KEYUP: {
        TwInst* t = inst_of(win);
        if (typed_break_ == win && menu_checked(CMD_CHECK_TYPING) && t && (t->mode == 1 || t->mode == 3))
            check_word(win, typed_at_);
        typed_break_ = nullptr;
        tbar_refresh();
        return false;
    }
    case WM_MOUSEMOVE: tip_hide(); return false;
    case WM_LBUTTONDOWN: show_status(win); return false;
    case WM_LBUTTONUP: {
        TextModel* m = fe_model(win);
        if (!suspend_leftclick_ && m && !m->has_selection() && field_at(m->text(), m->caret()))
            PostMessageA(win, WM_VORN_USER, 10003, 0);
        return false;
    }
    case WM_RBUTTONUP: context_menu(win, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return true;
    case WM_CONTEXTMENU:
        // From the mouse only over the scroll bars, whose own menu that is.
        if (lp != -1) return false;
        keyboard_menu(win);
        return true;
    case WM_MBUTTONUP: tbar_refresh(); return false;
    case WM_SIZE:
        if (TextModel* m = fe_model(win); m && m->size() < 2 && wp == SIZE_RESTORED) {
            RECT r;
            GetWindowRect(win, &r);
            default_w_ = r.right - r.left;
            default_h_ = r.bottom - r.top;
        }
        return false;
    case WM_NCLBUTTONDOWN:
        if (GetFocus() != win) SetFocus(win);
        BringWindowToTop(win);
        return false;
    case WM_SETFOCUS:
        if (textbox_inst_.win && IsWindow(textbox_inst_.win)) SendMessageA(textbox_inst_.win, WM_TEXTBOX_USER, 3, 0);
        focused_tw_ = {win, 1};
        return false;
    case WM_COMMAND:
        if (lp == 0) {
            // Context-menu items the window leaves alone (Insert, Spell Check) are the main
            // window's commands.
            int id = LOWORD(wp);
            if (tw_menu(win, id) == 1)
                for (auto& p : kPassPopup)
                    if (p[0] == id) task_menu_cmd(p[1]);
            return true;
        }
        return false;
    case WM_VORN_USER:
        if (wp == 10003) tw_follow_field(win);
        else if (wp == 4) menu_state(win);
        else if (wp == 3)
            for (auto [code, topic] : kEditHelp)
                if (code == static_cast<int>(lp)) help_context(topic);
        return true;
    case WM_CLOSE: close_window(win); return true;
    case WM_DESTROY:
        if (typed_break_ == win) typed_break_ = nullptr;
        remove_inst(win);
        std::erase_if(sources_, [&](const SourceFile& f) { return f.win == win; });
        if (focused_tw_.win == win) focused_tw_ = {};
        spell_dict(0);
        tbar_refresh();
        return false;
    default: return false;
    }
}

void open_hypertext_editor() { tw_open(0, file_progdir_path("untitled.txt"), 3); }

void open_source_editor() {
    // The editor shows the file on disk: unsaved diagram edits are saved first or kept apart.
    if (shell_hooks_.ask_save && shell_hooks_.ask_save() == 3) return;
    const std::string name = file_current_name();
    if (name.empty()) return;
    tw_open(0, name, 2);
}

void open_dictionary_editor() {
    std::string name = spell_custdict_name();
    if (file_create_if_missing(name, "")) tw_open(0, name, 5);
}

void toggle_wordwrap() {
    int on = menu_toggle(CMD_WORDWRAP);
    // File windows follow the setting at once.
    for (const auto& t : tw_inst_)
        if (t.key == 0 && t.mode != 6) fe_set_wrap(t.win, on != 0);
}

void toggle_check_typing() { menu_toggle(CMD_CHECK_TYPING); }
void toggle_multi_windows() { menu_toggle(CMD_MULTI_WINDOWS); }

bool open_text_file(const std::string& name) { return tw_open(0, name, 3); }

}  // namespace

bool tw_open(Key key, const std::string& given, int mode) {
    if (!main_inst_) return false;
    for (const auto& t : std::vector<TwInst>(tw_inst_))
        if (IsWindow(t.win)) BringWindowToTop(t.win);
    if (key == 0) {
        // Names reach here lower-cased from lists and links; the title shows the disk's.
        const std::string name = util_disk_case(given);
        view_wait_cursor(true);
        auto text = file_read_text(name);
        view_wait_cursor(false);
        if (!text) return false;
        RECT r{50, 30, 600, 350};
        bool wrap = mode != 6 && menu_checked(CMD_WORDWRAP);
        HWND win = create_editor(name, r, file_font(), false, wrap, mode == 6, *text);
        if (!win) return false;
        tw_inst_.push_back({win, 0, mode});
        if (mode == 2) sources_.push_back({win, file_stamp(name)});
        return true;
    }
    for (size_t k = 0; k < tw_inst_.size(); ++k) {
        if (tw_inst_[k].key != key || tw_inst_[k].mode == 7 || !IsWindow(tw_inst_[k].win)) continue;
        TwInst t = tw_inst_[k];
        tw_inst_.erase(tw_inst_.begin() + static_cast<long>(k));
        tw_inst_.push_back(t);
        ShowWindow(t.win, SW_RESTORE);
        BringWindowToTop(t.win);
        SetFocus(t.win);
        return true;
    }
    auto o = view_obj_get(key);
    if (!o) return false;
    view_wait_cursor(true);
    RECT r = tw_place_window(*o, default_w_, default_h_);
    LOGFONTA lf = font_logfont(text_font(3, 1));
    HWND win = create_editor(o->id, r, lf, (o->flags & 8) != 0, (o->flags & 1) != 0, false, o->ext);
    view_wait_cursor(false);
    if (!win) return false;
    tw_inst_.push_back({win, key, 1});
    return true;
}

int tw_menu(HWND win, int id) {
    for (auto& p : kPassPopup)
        if (p[0] == id) id = p[1];
    TextModel* m = fe_model(win);
    if (!m) return 1;
    const TwEntry e = tw_entry(win);
    switch (id) {
    case CMD_NEW: task_menu_cmd(CMD_HYPERTEXT_EDITOR); return 0;
    case CMD_SAVE: return save(win, e);
    case CMD_SAVE_AS:
        if (e.key != 0) return 1;
        save_as(win, *m);
        return 0;
    case CMD_CUT: fe_cut(win); mark_changed(win); return 0;
    case CMD_COPY: fe_copy(win); return 0;
    case CMD_PASTE: fe_paste(win); mark_changed(win); return 0;
    case CMD_DELETE: fe_delete(win); return 0;
    case CMD_SELECT_ALL: fe_select_all(win); mark_changed(win); return 0;
    case CMD_UNDO:
        if (m->can_undo()) {
            fe_undo(win);
            mark_changed(win);
        }
        return 0;
    case CMD_REDO: fe_redo(win); mark_changed(win); return 0;
    case CMD_FIND_TEXT: fe_find_dialog(win, false); return 0;
    case CMD_FIND_NEXT: fe_find_next(win); return 0;
    case CMD_REPLACE_TEXT: fe_find_dialog(win, true); mark_changed(win); return 0;
    case CMD_UPPER_CASE: case CMD_LOWER_CASE:
        if (fe_read_only(win)) return 0;
        m->change_case(id == CMD_UPPER_CASE);
        fe_changed(win);
        mark_changed(win);
        return 0;
    case CMD_SORT:
        if (!m->has_selection()) return 1;
        if (fe_read_only(win)) return 0;
        sort_selection(win, *m);
        mark_changed(win);
        return 0;
    case CMD_PROMOTE:
        if (!m->has_selection() || e.key == 0) return 1;
        promote(win, e, *m);
        return 0;
    case IDM_TW_CREATE_LINK: case IDM_TW_EDIT_LINK: case IDM_TW_DELETE_LINK: case IDM_TW_DELETE_ALL_LINKS:
        return tw_field_command(win, id);
    case IDM_TW_PRINT: print(win); return 0;
    default: return 1;
    }
}

int tw_forward_menu(int id) {
    HWND win = focused_tw_.kind == 1 ? focused_tw_.win : nullptr;
    if (!win || !IsWindow(win) || !fe_model(win)) return 1;
    // Other main-menu commands (Insert, Spell Check) go to the windows that own them.
    if (id == CMD_INSERT_TEXT || id == CMD_SPELL_CHECK) return 1;
    return tw_menu(win, id);
}

bool tw_insert_text(const std::string& text) {
    HWND win = tw_focused_window(1);
    if (win) {
        if (fe_read_only(win)) return false;
        fe_insert(win, text);
        mark_changed(win);
        return true;
    }
    if (focused_tw_.kind == 7 && focused_tw_.win && IsWindow(focused_tw_.win)) {
        if (rich_read_only(focused_tw_.win)) return false;
        SendDlgItemMessageA(focused_tw_.win, 11016, EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(text.c_str()));
        return true;
    }
    msg_note("No Textwindow selected");
    return false;
}

HWND tw_focused_window(int kind) {
    if (focused_tw_.kind == kind && focused_tw_.win && IsWindow(focused_tw_.win)) return focused_tw_.win;
    return nullptr;
}

void tw_close_all() {
    for (const auto& t : std::vector<TwInst>(tw_inst_))
        if (IsWindow(t.win)) rich_is_window(t.win) ? rich_close(t.win) : close_window(t.win);
}

bool tw_hand_over(bool leaving) {
    // Objects' windows first: their texts are part of the document a file window's question may
    // save (the Source Editor) or read again.
    std::vector<TwInst> all(tw_inst_);
    std::stable_partition(all.begin(), all.end(), [](const TwInst& t) { return t.key != 0; });
    for (const auto& t : all) {
        if (!IsWindow(t.win)) continue;
        const bool rich = rich_is_window(t.win);
        if (leaving) {
            if (!(rich ? rich_close(t.win) : close_window(t.win))) return false;
        } else if (t.key != 0) {
            rich ? rich_store(t.win) : store_staying(t.win, t.key);
        }
    }
    return true;
}

bool tw_holds_change() {
    for (const auto& t : tw_inst_) {
        if (t.key == 0 || !IsWindow(t.win)) continue;
        TextModel* m = rich_is_window(t.win) ? nullptr : fe_model(t.win);
        if (m ? m->modified() : rich_modified(t.win)) return true;
    }
    return false;
}

TwEntry tw_entry(HWND win) {
    if (TwInst* t = inst_of(win)) return {t->key, t->mode};
    return {};
}

HWND tw_file_window(const std::string& name) {
    for (const auto& t : tw_inst_)
        if (t.key == 0 && IsWindow(t.win) && util_same_file(tw_title(t.win), name)) return t.win;
    return nullptr;
}

// What the Spell Check dialog reads and changes of the focused text window.
static void spell_access() {
    SpellTwAccess a;
    a.focused = [] { return tw_focused_window(1); };
    a.text = [](HWND w) { TextModel* m = fe_model(w); return m ? m->text() : std::string(); };
    a.caret = [](HWND w) { TextModel* m = fe_model(w); return m ? m->caret() : size_t{0}; };
    a.select = [](HWND w, size_t from, size_t to) {
        if (TextModel* m = fe_model(w)) {
            m->select(from, to);
            fe_changed(w);
        }
    };
    a.replace = [](HWND w, size_t from, size_t to, const std::string& text) {
        TextModel* m = fe_model(w);
        if (!m || fe_read_only(w)) return false;
        m->select(from, to);
        m->insert_text(text);
        fe_changed(w);
        mark_changed(w);
        return true;
    };
    a.key = [](HWND w) { return tw_entry(w).key; };
    a.open = [](Key key) -> HWND { return tw_open(key, "", 1) && !tw_inst_.empty() ? tw_inst_.back().win : nullptr; };
    spell_check_set_tw_access(a);
}

void tw_register() {
    static const Command kCommands[] = {
        {CMD_HYPERTEXT_EDITOR, open_hypertext_editor},
        {CMD_SOURCE_EDITOR, open_source_editor},
        {CMD_DICT_EDITOR, open_dictionary_editor},
        {CMD_WORDWRAP, toggle_wordwrap},
        {CMD_CHECK_TYPING, toggle_check_typing},
        {CMD_MULTI_WINDOWS, toggle_multi_windows},
        {CMD_DATE, [] {
             SYSTEMTIME st;
             GetLocalTime(&st);
             tw_insert_text(std::to_string(st.wYear) + "-" + std::to_string(st.wMonth) + "-" + std::to_string(st.wDay));
         }},
    };
    cmd_register_all(kCommands);
    // Esc belongs to the diagram when another part of the program took it.
    if (!cmd_find(CMD_CLOSE_WINDOWS)) cmd_register({CMD_CLOSE_WINDOWS, tw_close_all});
    shell_hooks_.tw_forward_menu = tw_forward_menu;
    shell_hooks_.open_text_file = open_text_file;
    shell_hooks_.close_text_windows = tw_close_all;
    shell_hooks_.text_hand_over = tw_hand_over;
    shell_hooks_.text_holds_change = tw_holds_change;
    shell_hooks_.tw_open = tw_open;
    spell_access();
}
