#include "ideas/quest_win.h"

#include "bars/help_context.h"
#include "bars/ticker.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/settings.h"
#include "base/shell_hooks_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "document/view.h"
#include "ideas/quest.h"
#include "resources/ideas_tools_ids.h"
#include "resources/ids.h"

namespace {

constexpr UINT_PTR kRefreshTimer = 13310;

struct State {
    std::vector<QuestTemplate> qs;
    int article = 0;
    std::string filter;
    HWND dlg = nullptr;
};
State st_;

std::string quest_file() { return file_setting_get_text("Question", file_progdir_path("question.kba")); }

// The ticker asks again and again; a broken file is reported to it once per run.
bool ticker_told_ = false;

void load(bool for_ticker = false) {
    st_.qs.clear();
    std::string name = quest_file();
    bool quiet = for_ticker && ticker_told_;
    if (for_ticker) ticker_told_ = true;
    if (!file_exists(name)) {
        if (quiet) return;
        if (file_is_folder(name)) msg_error(file_failed_text("Loading %s", name));
        else dlg_error_msg("Loading %s", name, 2);
        return;
    }
    auto text = file_read_text(name);
    std::string err;
    if (text && !quest_parse(*text, st_.qs, &err) && !quiet) dlg_error_msg("Loading %s", name + " (" + err + ")");
    if (text && !st_.qs.empty() && for_ticker) ticker_told_ = false;
}

unsigned mask_of(HWND win) {
    unsigned m = 0;
    for (int i = 0; i < 6; ++i)
        if (dlg_is_checked(win, IDC_QUEST_EVENT + i)) m |= 1u << i;
    return m;
}

int article_of(HWND win) {
    if (dlg_is_checked(win, IDC_QUEST_ART_THE)) return 2;
    return dlg_is_checked(win, IDC_QUEST_ART_A) ? 1 : 0;
}

void fill(HWND win) {
    std::string idea_text = quest_idea_text(dlg_get_text(win, IDC_QUEST_IDEA), article_of(win));
    auto list = quest_list(st_.qs, idea_text, mask_of(win), dlg_get_text(win, IDC_QUEST_FILTER));
    HWND lb = GetDlgItem(win, IDC_QUEST_LIST);
    SendMessageA(lb, WM_SETREDRAW, FALSE, 0);
    SendMessageA(lb, LB_RESETCONTENT, 0, 0);
    for (const auto& q : list) SendMessageA(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(q.c_str()));
    SendMessageA(lb, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(lb, nullptr, TRUE);
    SetWindowTextA(win, ("Questions = " + std::to_string(list.size())).c_str());
}

void save_and_close(HWND win) {
    st_.article = article_of(win);
    st_.filter = dlg_get_text(win, IDC_QUEST_FILTER);
    view_param_set(334, static_cast<int32_t>(mask_of(win)));
    view_text_param_set(30, dlg_get_text(win, IDC_QUEST_IDEA));
    st_.qs.clear();
    DestroyWindow(win);
}

// The idea and the kinds of questions the document keeps.
void read_document(HWND win) {
    HWND idea = GetDlgItem(win, IDC_QUEST_IDEA);
    SendMessageA(idea, CB_RESETCONTENT, 0, 0);
    for (const auto& o : view_obj_each()) SendMessageA(idea, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(o.id.c_str()));
    SetWindowTextA(idea, view_text_param_get(30).c_str());
    dlg_set_checks(win, IDC_QUEST_EVENT, static_cast<unsigned>(view_param_get(334)), IDC_QUEST_EVENT, IDC_QUEST_MISC);
}

void on_init(HWND win) {
    st_.dlg = win;
    SendDlgItemMessageA(win, IDC_QUEST_LIST, WM_SETFONT, SendMessageA(main_inst_, WM_GETFONT, 0, 0), FALSE);
    dlg_on_create(win, IDD_QUEST, 1);
    util_random_seed();
    load();
    HWND filter = GetDlgItem(win, IDC_QUEST_FILTER);
    for (const char* f : kQuestFilters) SendMessageA(filter, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f));
    SetWindowTextA(filter, st_.filter.c_str());
    CheckRadioButton(win, IDC_QUEST_ART_NONE, IDC_QUEST_ART_THE, IDC_QUEST_ART_NONE + util_clamp(st_.article, 0, 2));
    read_document(win);
    fill(win);
}

void restart_timer(HWND win) {
    KillTimer(win, kRefreshTimer);
    SetTimer(win, kRefreshTimer, 600, nullptr);
}

bool on_command(HWND win, int id, int code) {
    switch (id) {
    case IDC_QUEST_IDEA:
    case IDC_QUEST_FILTER:
        if (code == CBN_EDITCHANGE || code == CBN_SELCHANGE) restart_timer(win);
        return true;
    case IDC_QUEST_UNKNOWN:
        SetDlgItemTextA(win, IDC_QUEST_IDEA, "[    ]");
        fill(win);
        return true;
    case IDC_QUEST_RANDOM:
        view_text_param_set(30, dlg_get_text(win, IDC_QUEST_IDEA));
        view_param_set(334, static_cast<int32_t>(mask_of(win)));
        status_post_message(-2, 0, kTickerQuestions, 0);
        return true;
    case IDC_QUEST_COPY: dlg_copy_lbox(win, IDC_QUEST_LIST); return true;
    case IDC_QUEST_EDIT: {
        std::string name = quest_file();
        st_.qs.clear();
        DestroyWindow(win);
        if (shell_hooks_.tw_open) shell_hooks_.tw_open(0, name, 3);
        return true;
    }
    case IDC_QUEST_HELP: help_context(130); return true;
    case IDCANCEL: save_and_close(win); return true;
    default:
        if ((id >= IDC_QUEST_EVENT && id <= IDC_QUEST_MISC) || (id >= IDC_QUEST_ART_NONE && id <= IDC_QUEST_ART_THE)) {
            fill(win);
            return true;
        }
        return false;
    }
}

}  // namespace

INT_PTR CALLBACK dlg_questions_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: on_init(win); return TRUE;
    case WM_COMMAND: return on_command(win, LOWORD(wp), HIWORD(wp)) ? TRUE : FALSE;
    case WM_TIMER:
        if (wp == kRefreshTimer) {
            KillTimer(win, kRefreshTimer);
            fill(win);
            return TRUE;
        }
        break;
    case WM_SIZE: dlg_stretch_control(win, IDC_QUEST_LIST, 24, 41); break;
    case WM_CLOSE: save_and_close(win); return TRUE;
    case WM_VORN_REPLACED:
        // What is typed here belongs to a document: the new one's idea and kinds take its place.
        KillTimer(win, kRefreshTimer);
        read_document(win);
        fill(win);
        return dlg_stay_open(win);
    case WM_DESTROY:
        KillTimer(win, kRefreshTimer);
        dlg_on_destroy(win, IDD_QUEST, 1);
        st_.dlg = nullptr;
        break;
    default: break;
    }
    return FALSE;
}

void quest_open() {
    if (st_.dlg || dlg_find_modeless(IDD_QUEST)) return;
    CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_QUEST), main_inst_, trap_dlg<dlg_questions_eh>, 0);
    if (!st_.dlg) return;
    ShowWindow(st_.dlg, SW_SHOW);
    RedrawWindow(st_.dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

std::string quest_random_question() {
    if (st_.dlg) load();
    else load(true);
    std::string q = quest_random(st_.qs, view_text_param_get(30), static_cast<unsigned>(view_param_get(334)),
                                 clist_default_random());
    if (!st_.dlg) st_.qs.clear();
    return q;
}

void quest_init() {
    static const Command commands[] = {{CMD_QUESTIONS, quest_open}};
    cmd_register_all(commands);
    ticker_hooks().sources.question = []() -> std::optional<std::string> {
        std::string q = quest_random_question();
        if (q.empty()) return std::nullopt;
        return q;
    };
}
