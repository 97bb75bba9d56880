// Hypertext fields in text windows: the commands that make, edit and remove them, following a
// field, Activate ID and the Edit Hyperlink dialog.
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/shell_hooks_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "document/doc_util.h"
#include "document/view.h"
#include "elements/action_args.h"
#include "resources/text_ids.h"
#include "text/fieldedit_win.h"
#include "text/rich.h"
#include "text/rich_win.h"
#include "text/tw_win.h"

namespace {

HWND dlg_editor_ = nullptr;  // the text window whose field the dialog edits

int selected_code(HWND dlg) {
    LRESULT k = SendDlgItemMessageA(dlg, IDC_HT_ACTION, CB_GETCURSEL, 0, 0);
    const auto& t = field_actions();
    return k >= 0 && static_cast<size_t>(k) < t.size() ? t[static_cast<size_t>(k)].code : 12;
}

void update_browse(HWND dlg) { dlg_enable(dlg, IDC_HT_BROWSE, action_prime_file_get(selected_code(dlg)) ? 1 : 0); }

void browse(HWND dlg) {
    auto pf = action_prime_file_get(selected_code(dlg));
    if (!pf) return;
    std::string filter;
    for (const auto& [name, mask] : pf->filters) filter += name + '\0' + mask + '\0';
    filter += '\0';
    char buf[MAX_PATH] = {};
    std::string dir = file_dir_part(file_dir_of(dlg_get_text(dlg, IDC_HT_EXTENSION)));
    OPENFILENAMEA of{};
    of.lStructSize = sizeof of;
    of.hwndOwner = dlg;
    of.lpstrFilter = filter.c_str();
    of.lpstrFile = buf;
    of.nMaxFile = MAX_PATH;
    of.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    of.lpstrTitle = "Select File";
    of.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameA(&of)) SetDlgItemTextA(dlg, IDC_HT_EXTENSION, util_lower(buf).c_str());
}

bool apply(HWND dlg) {
    HWND win = dlg_editor_;
    TextModel* m = fe_model(win);
    if (!m) return true;
    auto f = field_at(m->text(), m->caret());
    if (!f) return true;
    const int code = selected_code(dlg);
    const std::string ext = dlg_get_text(dlg, IDC_HT_EXTENSION);
    m->begin_group();
    m->delete_field_at_caret();
    // The new field covers exactly the former visible text.
    m->select(f->start, f->sep - 1);
    m->make_field(encode_hidden(code, ext));
    m->end_group();
    fe_changed(win);
    file_mark_changed();
    return true;
}

INT_PTR CALLBACK dlg_hidden_text_eh(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: {
        dlg_on_create(dlg, IDD_HIDDEN_TEXT, 0);
        TextModel* m = fe_model(dlg_editor_);
        auto f = m ? field_at(m->text(), m->caret()) : std::nullopt;
        Hidden h;
        std::string visible;
        if (f) {
            h = decode_hidden(std::string_view(m->text()).substr(f->sep + 1, f->end - f->sep - 1));
            visible = m->text().substr(f->start + 1, f->sep - f->start - 1);
        }
        for (const auto& a : field_actions())
            SendDlgItemMessageA(dlg, IDC_HT_ACTION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(a.name));
        SendDlgItemMessageA(dlg, IDC_HT_ACTION, CB_SETCURSEL, field_action_index(h.code).value_or(7), 0);
        SetDlgItemTextA(dlg, IDC_HT_EXTENSION, h.arg.c_str());
        SetDlgItemTextA(dlg, IDC_HT_HYPERTEXT, visible.c_str());
        update_browse(dlg);
        return TRUE;
    }
    case WM_SIZE: dlg_stretch_control(dlg, IDC_HT_EXTENSION, 29, 0); return FALSE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDC_HT_ACTION && HIWORD(wp) == CBN_SELCHANGE) update_browse(dlg);
        else if (LOWORD(wp) == IDC_HT_BROWSE) browse(dlg);
        else return dlg_ok_cancel(dlg, wp, apply) ? TRUE : FALSE;
        return TRUE;
    case WM_DESTROY: dlg_on_destroy(dlg, IDD_HIDDEN_TEXT, 0); return FALSE;
    default: return FALSE;
    }
}

}  // namespace

bool tw_edit_hyperlink(HWND win) {
    TextModel* m = fe_model(win);
    if (!m || !field_at(m->text(), m->caret())) return false;
    dlg_editor_ = win;
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_HIDDEN_TEXT), main_inst_,
                                trap_dlg<dlg_hidden_text_eh>, 0);
    dlg_editor_ = nullptr;
    return r == IDOK;
}

int tw_field_command(HWND win, int id) {
    TextModel* m = fe_model(win);
    if (!m) return 1;
    const bool ro = fe_read_only(win);
    switch (id) {
    case IDM_TW_CREATE_LINK:
        if (!m->has_selection() || ro || !m->make_field("12")) {
            msg_note("First select some text");
            return 0;
        }
        break;
    case IDM_TW_EDIT_LINK:
        if (!field_at(m->text(), m->caret())) {
            msg_note("Must click at hypertext");
            return 0;
        }
        if (!ro) tw_edit_hyperlink(win);
        return 0;
    case IDM_TW_DELETE_LINK:
        if (!m->has_selection()) {
            msg_note("Must select the hypertext to be deleted");
            return 0;
        }
        if (ro) return 0;
        if (m->caret() == m->sel_end()) m->set_caret(m->prev_stop(m->caret()));
        if (!m->delete_field_at_caret()) return 0;
        break;
    case IDM_TW_DELETE_ALL_LINKS:
        if (ro) return 0;
        m->strip_all_fields();
        break;
    default: return 1;
    }
    fe_changed(win);
    file_mark_changed();
    return 0;
}

bool tw_activate_id(HWND source, const std::string& arg) {
    bool success = false;
    if (!arg.empty()) {
        if (auto found = view_obj_find_id(arg)) {
            success = true;
            view_send_user(53, found->key);
        } else {
            for (const ObjRef& r : view_obj_each()) {
                bool open = false;
                for (const auto& t : tw_inst_) open = open || t.key == r.key;
                auto o = view_obj_get(r.key);
                if (open || !o) continue;
                if (o->action == 42) {
                    // Rich text is searched as the reader sees it, never in its RTF source.
                    if (rich_plain_text(o->ext).find(arg) == std::string::npos) continue;
                    success = true;
                    if (HWND win = rich_open(r.key, "", 0)) rich_select_text(win, arg);
                    continue;
                }
                auto text = view_obj_richtext(r.key);
                if (!text) continue;
                size_t p = text->find(arg);
                if (p == std::string::npos) continue;
                success = true;
                if (!tw_open(r.key, "", 1)) continue;
                HWND win = tw_inst_.back().win;
                if (TextModel* m = fe_model(win)) {
                    m->select(p, p + arg.size());
                    fe_changed(win);
                }
                SetFocus(win);
            }
        }
    }
    if (success) return true;
    msg_note("\"" + arg + "\" does not match any Object ID or contents");
    if (source && IsWindow(source)) tw_edit_hyperlink(source);
    return false;
}

void tw_follow_field(HWND win) {
    TextModel* m = fe_model(win);
    if (!m) return;
    auto f = field_at(m->text(), m->caret());
    if (!f) return;
    Hidden h = decode_hidden(std::string_view(m->text()).substr(f->sep + 1, f->end - f->sep - 1));
    if (h.code == 15) {
        tw_activate_id(win, h.arg);
        return;
    }
    if (h.code == 12) {
        if (!fe_read_only(win)) tw_edit_hyperlink(win);
        return;
    }
    // The action may close this window (another document): nothing of it is used afterwards.
    const Key key = tw_entry(win).key;
    if (shell_hooks_.action_do) shell_hooks_.action_do(h.code, key, h.arg);
}
