#include "ideas/hint_win.h"

#include "bars/ticker.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/settings.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "document/doc_util.h"
#include "document/view.h"
#include "ideas/clist_win.h"
#include "ideas/quest_win.h"
#include "resources/ideas_tools_ids.h"
#include "resources/ids.h"

namespace {

Advisor advisor_;
bool seeded_ = false;

HintEnv env() {
    HintEnv e;
    e.setting = [](int code) { return static_cast<int>(view_param_get(code)); };
    e.set_setting = [](int code, int v) { view_param_set(code, v); };
    e.text_window_open = !tw_inst_.empty();
    if (Key goal = static_cast<Key>(view_param_get(343))) e.goal_length = static_cast<int>(view_obj_ext(goal).value_or("").size());
    if (auto cur = file_current()) e.doc_in_progdir = util_lower(cur->dir) == util_lower(file_dir_part(file_progdir_path("x")));
    return e;
}

void post(const HintRule& r) {
    switch (r.present) {
    case 6: {
        std::string name = file_progdir_path(r.detail);
        auto text = file_exists(name) ? clist_read_list(name) : std::nullopt;
        auto line = text ? hint_list_line(*text, clist_default_random()) : std::nullopt;
        if (!line) {
            msg_note("File not found: " + r.detail);
            return;
        }
        status_post_message(0, 0x00FFFF, r.text + *line, r.id);
        return;
    }
    case 7:
        if (auto t = advisor_.take_elaborate()) status_post_message(0, 0x808080, "Can you elaborate on " + *t, r.id);
        return;
    case 8:
        if (std::string q = quest_random_question(); !q.empty()) status_post_message(0, 0x808080, "Quest: " + q, r.id);
        return;
    default: status_post_message(0, 0x808080, r.text, r.id); return;
    }
}

// The question box of number and choice rules.
struct Ask {
    const HintRule* rule;
    int current;
    std::string answer;
    int pick = -1;
};

INT_PTR CALLBACK ask_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    auto* a = reinterpret_cast<Ask*>(GetWindowLongPtrA(win, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        a = reinterpret_cast<Ask*>(lp);
        SetWindowLongPtrA(win, DWLP_USER, lp);
        dlg_on_create(win, IDD_HINT_ASK, 0);
        SetWindowTextA(win, a->rule->text.c_str());
        bool choice = a->rule->present == 5;
        ShowWindow(GetDlgItem(win, choice ? IDC_HINT_ASK_EDIT : IDC_HINT_ASK_LIST), SW_HIDE);
        if (choice) {
            for (const auto& c : clist_items(a->rule->detail))
                SendDlgItemMessageA(win, IDC_HINT_ASK_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.c_str()));
            SendDlgItemMessageA(win, IDC_HINT_ASK_LIST, LB_SETCURSEL, a->current, 0);
        } else {
            SetDlgItemTextA(win, IDC_HINT_ASK_PROMPT, a->rule->detail.c_str());
            SetDlgItemTextA(win, IDC_HINT_ASK_EDIT, std::to_string(a->current).c_str());
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || (LOWORD(wp) == IDC_HINT_ASK_LIST && HIWORD(wp) == LBN_DBLCLK)) {
            a->answer = dlg_get_text(win, IDC_HINT_ASK_EDIT);
            a->pick = dlg_lbox_sel(win, IDC_HINT_ASK_LIST);
            EndDialog(win, IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(win, IDCANCEL);
            return TRUE;
        }
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_HINT_ASK, 0); break;
    default: break;
    }
    return FALSE;
}

void ask(const HintRule& r) {
    Ask a{&r, advisor_.fact(r.target).value_or(0)};
    if (DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_HINT_ASK), main_inst_, trap_dlg<ask_eh>,
                        reinterpret_cast<LPARAM>(&a)) != IDOK)
        return;
    HintEnv e = env();
    if (r.present == 4) {
        auto n = util_str_to_int(a.answer);
        if (!n) {
            msg_note(a.answer + " is not an integer");
            return;
        }
        advisor_.log_answer(r.id, *n);
        advisor_.set_fact(r.target, *n, &e);
    } else if (a.pick >= 0) {
        advisor_.log_answer(r.id, a.pick);
        advisor_.set_fact(r.target, a.pick, &e);
        advisor_.add_elaborate(hint_choice(r.detail, a.pick));
    }
}

void open_list(const std::string& file) {
    if (file.size() > 2 && file.ends_with(".l")) clist_open_file(file);
}

void fill_answers(HWND win) {
    HWND lb = GetDlgItem(win, IDC_HINT_LIST);
    SendMessageA(lb, LB_RESETCONTENT, 0, 0);
    for (const auto& s : advisor_.answer_lines()) SendMessageA(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
}

int selected_rule(HWND win) {
    int sel = dlg_lbox_sel(win, IDC_HINT_LIST);
    const auto& a = advisor_.answers();
    return sel >= 0 && sel < static_cast<int>(a.size()) ? a[static_cast<size_t>(sel)].first : 0;
}

}  // namespace

Advisor& hint_advisor() { return advisor_; }

bool hint_load_params() {
    auto hint = file_setting_get_list_n("Hint", {0, 1, 0, 0, 0, 0});
    if (hint.size() != 6) return false;
    if (!seeded_) {
        seeded_ = true;
        util_random_seed();
    }
    bool was_changed = file_is_changed();
    auto id = advisor_.pass(hint, env(), clist_default_random());
    if (!was_changed && file_is_changed()) file_clear_changed();
    const HintRule* r = id ? advisor_.rule(*id) : nullptr;
    if (!r) return false;
    post(*r);
    return true;
}

bool hint_show_detail(int id) {
    const HintRule* r = advisor_.rule(id);
    if (!r) return false;
    switch (r->present) {
    case 1:
        if (r->target == 0) msg_note("No detail available");
        else if (r->target == 1) msg_note(r->detail);
        else if (r->target == 6) open_list(r->detail);
        else if (r->target == 8) {
            view_text_param_set(30, r->detail);
            task_menu_cmd(CMD_QUESTIONS);
        }
        break;
    case 4:
    case 5: ask(*r); break;
    case 6: open_list(r->detail); break;
    case 7: hint_previous_answers(main_inst_); break;
    default: break;
    }
    return true;
}

INT_PTR CALLBACK dlg_answers_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        dlg_on_create(win, IDD_HINT_ANSWERS, 0);
        fill_answers(win);
        return TRUE;
    case WM_SIZE: dlg_stretch_control(win, IDC_HINT_LIST, 0, 30); break;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_HINT_CHANGE:
            if (int id = selected_rule(win)) {
                EndDialog(win, IDC_HINT_CHANGE);
                hint_show_detail(id);
            }
            return TRUE;
        case IDC_HINT_DELETE:
            if (int id = selected_rule(win)) {
                advisor_.remove_rule(id);
                fill_answers(win);
            }
            return TRUE;
        case IDOK:
        case IDCANCEL: EndDialog(win, LOWORD(wp)); return TRUE;
        default: break;
        }
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_HINT_ANSWERS, 0); break;
    default: break;
    }
    return FALSE;
}

void hint_previous_answers(HWND parent) {
    while (DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_HINT_ANSWERS), parent, trap_dlg<dlg_answers_eh>, 0) ==
           IDC_HINT_CHANGE)
        parent = main_inst_;
}

void hint_init() {
    auto& h = ticker_hooks();
    h.sources.idle = [] { hint_load_params(); };
    h.detail = [](int id, const std::string&) { return id > 0 && hint_show_detail(id); };
    h.previous_answers = [] { hint_previous_answers(main_inst_); };
}
