#include "ideas/gen_win.h"

#include <algorithm>

#include "bars/help_context.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "document/doc_util.h"
#include "document/view.h"
#include "ideas/gen.h"
#include "resources/ideas_tools_ids.h"
#include "resources/ids.h"

namespace {

constexpr UINT WM_GEN_FIRST = WM_APP + 0x131;

struct Defaults {
    std::string contains, skip;
    bool capitalize = true;
};
Defaults defaults_;

std::optional<std::vector<std::string>> entries_of(const std::string& id, std::string* missing) {
    auto found = view_obj_find_id(id);
    if (!found) return std::nullopt;
    if (found->action != 1) return gen_split_entries(found->ext);
    auto name = file_resolve(found->ext);
    if (!name || !file_exists(*name)) {
        *missing = found->ext;
        return std::vector<std::string>{};
    }
    return gen_split_entries(file_read_text(*name).value_or(""));
}

std::string combo_text(HWND win, int id) {
    HWND cb = GetDlgItem(win, id);
    int sel = static_cast<int>(SendMessageA(cb, CB_GETCURSEL, 0, 0));
    if (sel < 0) return {};
    int len = static_cast<int>(SendMessageA(cb, CB_GETLBTEXTLEN, sel, 0));
    std::string s(static_cast<size_t>(std::max(len, 0)) + 1, '\0');
    SendMessageA(cb, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(std::max(len, 0)));
    return s;
}

std::optional<Key> start_key(HWND win) {
    std::string line = combo_text(win, IDC_GEN_START);
    if (line.size() <= 20) return std::nullopt;
    auto k = util_str_to_int(util_first_token(line.substr(20)));
    if (!k || *k <= 0) return std::nullopt;
    return static_cast<Key>(*k);
}

void generate(HWND win) {
    int n = view_param_get(77) + 1;
    if (n <= 0) return;
    auto key = start_key(win);
    if (!key) return;
    auto start = view_obj_id(*key);
    if (!start) return;
    defaults_.contains = dlg_get_text(win, IDC_GEN_CONTAINS);
    defaults_.skip = dlg_get_text(win, IDC_GEN_SKIP);
    GenOptions o;
    o.count = n;
    o.sequential = view_param_get(208) == 1;
    o.no_repeat = view_param_get(207) == 0;
    o.capitalize = defaults_.capitalize;
    o.contains = defaults_.contains;
    o.skip = defaults_.skip;
    util_random_seed();
    GenResult r = gen_generate(*start, o, entries_of, clist_default_random());
    HWND lb = GetDlgItem(win, IDC_GEN_LIST);
    SendMessageA(lb, WM_SETREDRAW, FALSE, 0);
    SendMessageA(lb, LB_RESETCONTENT, 0, 0);
    for (const auto& l : r.lines) SendMessageA(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(l.c_str()));
    SendMessageA(lb, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(lb, nullptr, TRUE);
    for (const auto& m : r.missing) msg_note("File not found: " + m);
    if (r.capped)
        msg_note("\"" + r.capped_by + "\" names itself in its own list (directly or through other objects); its expansion was stopped.");
}

void on_init(HWND win) {
    dlg_fixed_font(win, IDC_GEN_START);
    dlg_on_create(win, IDD_GEN, 0);
    std::vector<std::string> lines;
    for (const auto& o : view_obj_each())
        if (view_link_touching(o.key))
            if (auto obj = view_obj_get(o.key)) lines.push_back(util_obj_list_line(*obj));
    lines = util_sort_strings(std::move(lines));
    HWND start = GetDlgItem(win, IDC_GEN_START);
    for (const auto& l : lines) SendMessageA(start, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(l.c_str()));
    SendMessageA(start, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("(Undefined)"));
    SendMessageA(start, CB_SETCURSEL, util_obj_line_pos(static_cast<Key>(view_param_get(216)), lines), 0);
    HWND rep = GetDlgItem(win, IDC_GEN_REPEAT);
    for (const auto& s : dlg_num_strings(0, 200, 1)) SendMessageA(rep, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    SendMessageA(rep, CB_SETCURSEL, util_clamp(view_param_get(77) + 1, 0, 200), 0);
    CheckDlgButton(win, IDC_GEN_CAPITALIZE, defaults_.capitalize ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(win, IDC_GEN_NO_REPEAT, view_param_get(207) == 0 ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextA(win, IDC_GEN_CONTAINS, defaults_.contains.c_str());
    SetDlgItemTextA(win, IDC_GEN_SKIP, defaults_.skip.c_str());
    CheckRadioButton(win, IDC_GEN_RANDOM, IDC_GEN_SEQUENTIAL, view_param_get(208) == 1 ? IDC_GEN_SEQUENTIAL : IDC_GEN_RANDOM);
    PostMessageA(win, WM_GEN_FIRST, 0, 0);
}

}  // namespace

INT_PTR CALLBACK dlg_generate_ideas_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: on_init(win); return TRUE;
    case WM_GEN_FIRST: generate(win); return TRUE;
    case WM_SIZE: dlg_stretch_control(win, IDC_GEN_LIST, 24, 41); break;
    case WM_COMMAND: {
        int id = LOWORD(wp), code = HIWORD(wp);
        switch (id) {
        case IDC_GEN_NEXT: generate(win); return TRUE;
        case IDC_GEN_START:
            if (code == CBN_SELCHANGE)
                if (auto k = start_key(win)) {
                    view_param_set(216, static_cast<int32_t>(*k));
                    generate(win);
                }
            return TRUE;
        case IDC_GEN_REPEAT:
            if (code == CBN_SELCHANGE) {
                view_param_set(77, static_cast<int32_t>(SendDlgItemMessageA(win, id, CB_GETCURSEL, 0, 0)) - 1);
                generate(win);
            }
            return TRUE;
        case IDC_GEN_CAPITALIZE:
            defaults_.capitalize = !defaults_.capitalize;
            generate(win);
            return TRUE;
        case IDC_GEN_NO_REPEAT:
            view_param_set(207, 1 - (view_param_get(207) ? 1 : 0));
            generate(win);
            return TRUE;
        case IDC_GEN_RANDOM:
        case IDC_GEN_SEQUENTIAL:
            view_param_set(208, id - IDC_GEN_RANDOM);
            generate(win);
            return TRUE;
        case IDC_GEN_COPY: dlg_copy_lbox(win, IDC_GEN_LIST); return TRUE;
        case IDC_GEN_HELP: help_context(80); return TRUE;
        case IDCANCEL: EndDialog(win, IDCANCEL); return TRUE;
        default: break;
        }
        break;
    }
    case WM_DESTROY: dlg_on_destroy(win, IDD_GEN, 0); break;
    default: break;
    }
    return FALSE;
}

void gen_open(HWND parent) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_GEN), parent, trap_dlg<dlg_generate_ideas_eh>, 0);
}

void gen_init() {
    static const Command commands[] = {{CMD_GENERATOR, [] { gen_open(main_inst_); }}};
    cmd_register_all(commands);
}
