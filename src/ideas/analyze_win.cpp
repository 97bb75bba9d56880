#include "ideas/analyze_win.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bars/help_context.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/hypertext.h"
#include "base/menu_win.h"
#include "base/palette.h"
#include "base/shell_hooks_win.h"
#include "base/spell.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "base/util_win.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/outline.h"
#include "document/view.h"
#include "document/view_io.h"
#include "elements/font_win.h"
#include "ideas/analyze.h"
#include "ideas/analyze_kinds.h"
#include "ideas/clist_win.h"
#include "ideas/index.h"
#include "resources/analyze_ids.h"
#include "resources/ids.h"

namespace {

constexpr UINT_PTR kReanalyzeTimer = 13900;
constexpr DWORD kProgressMs = 100;
// Characters scanned between two looks at the message queue: well under a millisecond.
constexpr size_t kScanPiece = 1 << 15;

struct Kind {
    const char* name;
    int code;
};
constexpr Kind kKinds[] = {
    {"Plain Text", 1},     {"ID:Causes", 16},     {"ID:Effects", 17},    {"ID:Sequenced", 2},
    {"ID:Sorted", 3},      {"ID:Isolated", 18},   {"Abstract", 7},       {"Chklist Freq", 13},
    {"Chklist Words", 14}, {"Clauses", 5},        {"Hypertext", 8},      {"Index", 11},
    {"Links", 15},         {"Numerics", 21},      {"Proper Nouns", 20},  {"Sentences", 4},
    {"Sentence 1", 19},    {"Spell Error", 9},    {"Statistics", 10},    {"Syllables", 6},
    {"Text:Curr Color", 22}, {"Word Length", 12},
};
constexpr const char* kPrefixes[] = {"1.1.1.1", "A.a.1", "~1 A(i)", "1 a(i)-1", "I A(1)", "A 1<a> o", "1-A i(a)", "", "~oo", "o**"};

struct State {
    HWND dlg = nullptr;
    HWND edit = nullptr;  // the output editor inside the "Analyze" window
    std::string text;     // the analysed text
    Key key = 0;          // 0: the whole document
    bool processing = false;
    bool stop = false;
    bool close_after_run = false;
    bool prefix_edited = false;  // only the user's edit of the ID Prefix renumbers the document
    HFONT font = nullptr;
};
State st_;

struct Remembered {
    Key key = 0;
    int checklist = 0;
};
Remembered prev_;

std::vector<std::string> scope_lines() {
    std::vector<std::string> lines = view_seq_listing();
    std::reverse(lines.begin(), lines.end());
    return lines;
}

// The key a scope line names after the ID's 20 characters; 0 for "<Entire file>".
Key line_key(const std::string& line) {
    return line.size() > 20 ? static_cast<Key>(std::atoi(line.c_str() + 20)) : 0;
}

std::string scope_text(Key key) {
    if (key == 0) return view_write_outline(1, -1);
    // An object without a stored text is analysed as an empty text.
    return view_obj_richtext(key).value_or("");
}

std::string to_crlf(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 16);
    for (char c : s) {
        if (c == '\n') out += '\r';
        if (c != '\r') out += c;
    }
    return out;
}

void out_set(const std::string& lf_text) {
    if (st_.edit) SetWindowTextA(st_.edit, to_crlf(lf_text).c_str());
}

// Lets Stop, Close and other windows run in the middle of a long analysis.
void pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            st_.stop = true;
            return;
        }
        if (st_.dlg && IsDialogMessageA(st_.dlg, &m)) continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

std::string word_count_lines(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& it : items)
        if (it.size() >= kWordIndexDigits)
            out += std::string(word_index_word(it)) + "   " + std::to_string(word_index_number(it)) + "\n";
    return out;
}

long long object_count() {
    if (st_.key != 0) return 1;
    return static_cast<long long>(view_doc().seq.size());
}

void run_statistics() {
    std::string stripped = tw_strip_hyperlinks(st_.text);
    TextScanner scan;
    DWORD shown = GetTickCount();
    for (size_t at = 0; at < stripped.size() && !st_.stop; at += kScanPiece) {
        scan.feed(std::string_view(stripped).substr(at, kScanPiece));
        if (GetTickCount() - shown >= kProgressMs) {
            shown = GetTickCount();
            out_set(std::to_string(std::min(stripped.size(), at + kScanPiece)));
        }
        pump();
    }
    TextCounts c = scan.finish();
    TextStatistics s;
    s.objects = object_count();
    s.words = c.words;
    s.sentences = c.sentences;
    s.chars = c.chars;
    s.syllables = c.syllables;
    s.bytes = static_cast<long long>(stripped.size());
    out_set(analyze_statistics_report(s));
}

// Output is kept here while a kind runs and shown now and then: showing lays the whole text out
// again, so it waits until the text has grown by half since the last time (or a while has
// passed), which keeps a run linear in its output. The queue is looked at far more often, for Stop.
class OutSink {
public:
    bool put(std::string_view piece) {
        all_ += piece;
        if (GetTickCount() - looked_ >= kLookMs) {
            if (all_.size() - shown_ >= std::max(kShowFirst, shown_ / 2) || GetTickCount() - shown_at_ >= kShowMs) show();
            pump();
            looked_ = GetTickCount();
        }
        return !st_.stop;
    }
    void finish() {
        if (shown_ != all_.size() || all_.empty()) show();
    }

private:
    void show() {
        out_set(all_);
        shown_ = all_.size();
        shown_at_ = GetTickCount();
    }
    static constexpr DWORD kLookMs = 40, kShowMs = 500;
    static constexpr size_t kShowFirst = 1 << 14;
    std::string all_;
    size_t shown_ = 0;
    // The first piece looks at once: a Stop or Close already waiting ends even a short run.
    DWORD looked_ = GetTickCount() - kLookMs, shown_at_ = GetTickCount();
};

void run_kind(const std::function<void(const AnalyzeSink&)>& kind) {
    OutSink out;
    kind([&out](std::string_view piece) { return out.put(piece); });
    out.finish();
}

std::string sentence1_line(Key key) {
    auto id = view_obj_id(key);
    auto text = view_obj_richtext(key);
    if (!id || !text) return "";
    return "[" + *id + "]\n" + analyze_first_sentence(*text) + "\n";
}

std::string sentence1() {
    if (st_.key != 0) return sentence1_line(st_.key);
    std::string out;
    for (const auto& line : scope_lines())
        if (Key k = line_key(line)) out += sentence1_line(k);
    return out;
}

std::string links() {
    std::string out;
    auto links = view_link_each();
    if (st_.key == 0) {
        for (const auto& l : links) {
            auto a = view_obj_id(l.from), b = view_obj_id(l.to);
            if (a && b) out += *a + " ---> " + *b + "\n";
        }
        return out;
    }
    for (const auto& l : links)
        if (auto b = view_obj_id(l.to); l.from == st_.key && b) out += "Link to: " + *b + "\n";
    for (const auto& l : links)
        if (auto a = view_obj_id(l.from); l.to == st_.key && a) out += "Link fr: " + *a + "\n";
    return out;
}

// Objects that are the source (causes) or the target (effects) of a link, once each.
std::string ids_with_links(bool causes) {
    std::vector<Key> ends;
    for (const auto& l : view_link_each()) ends.push_back(causes ? l.from : l.to);
    std::sort(ends.begin(), ends.end());
    std::string out;
    for (const auto& o : view_obj_each())
        if (std::binary_search(ends.begin(), ends.end(), o.key)) out += o.id + "\n";
    return out;
}

// The chosen checklist as the checklist kinds read it; empty (after a note) when missing.
std::string checklist_text() {
    std::string name = dlg_get_text(st_.dlg, IDC_AN_CLIST);
    std::optional<std::string> text;
    if (auto file = clist_file_of(name)) text = clist_read_list(*file, true);
    if (!text) {
        msg_note("Checklist not found");
        return "";
    }
    return analyze_checklist_lines(*text);
}

std::string spell_errors() {
    spell_dict(1);
    std::vector<std::string> items;
    std::string out;
    if (word_index(3, tw_strip_hyperlinks(st_.text), items))
        for (const auto& w : items) out += w + "\n";
    spell_dict(0);
    return out;
}

void proper_nouns() {
    // The dictionary holds names lower-cased: the names file tells Paris from a common word.
    ProperNames names;
    if (auto text = file_read_part(file_progdir_path("names.txt"), 1 << 22, false))
        names = analyze_parse_names(*text, file_read_part(file_progdir_path("comwords.txt"), 1 << 20, false).value_or(""));
    spell_dict(1);
    run_kind([&](const AnalyzeSink& out) {
        analyze_proper_nouns(
            st_.text,
            [&](std::string_view tok, bool start) {
                return analyze_is_name(names, tok, start, [](std::string_view w) { return spell_word_ok(w); });
            },
            out);
    });
    spell_dict(0);
}

void abstract_text() {
    auto common = file_read_text(file_progdir_path("comwords.txt"));
    if (!common) return;
    std::string text = tw_strip_hyperlinks(st_.text);
    run_kind([&](const AnalyzeSink& out) { analyze_abstract(text, *common, out); });
}

void dispatch(int code) {
    out_set("");
    switch (code) {
    case 1: run_kind([](const AnalyzeSink& out) { analyze_plain(st_.text, out); }); break;
    case 2: out_set(view_write_outline(2, -1)); break;
    case 3: {
        std::string t = view_write_outline(3, -1);
        while (!t.empty() && t.back() == '\n') t.pop_back();
        std::vector<std::string> lines = util_sort_strings(util_split_fields(t, '\n'));
        std::string joined;
        for (size_t i = 0; i < lines.size(); ++i) joined += (i ? "\n" : "") + lines[i];
        out_set(joined);
        break;
    }
    case 18: out_set(view_write_outline(4, -1)); break;
    case 22: out_set(view_write_outline(1, tbar_current_color().index)); break;
    case 11:
    case 12: {
        std::vector<std::string> items;
        if (word_index(code == 11 ? 1 : 2, tw_strip_hyperlinks(st_.text), items)) out_set(word_count_lines(items));
        break;
    }
    case 4: run_kind([](const AnalyzeSink& out) { analyze_sentences(st_.text, out); }); break;
    case 5: run_kind([](const AnalyzeSink& out) { analyze_clauses(st_.text, out); }); break;
    case 8: run_kind([](const AnalyzeSink& out) { analyze_hypertext(st_.text, out); }); break;
    case 21: run_kind([](const AnalyzeSink& out) { analyze_numerics(st_.text, out); }); break;
    case 19: out_set(sentence1()); break;
    case 15: out_set(links()); break;
    case 16:
    case 17: out_set(ids_with_links(code == 16)); break;
    case 9: out_set(spell_errors()); break;
    case 20: proper_nouns(); break;
    case 7: abstract_text(); break;
    case 13:
    case 14: {
        std::string cl = checklist_text();
        run_kind([&](const AnalyzeSink& out) {
            if (code == 14) analyze_checklist_words(cl, st_.text, out);
            else analyze_checklist_freq(cl, st_.text, out);
        });
        break;
    }
    case 10: run_statistics(); break;
    case 6: {
        std::string stripped = tw_strip_hyperlinks(st_.text);
        run_kind([&](const AnalyzeSink& out) { analyze_syllable_lines(stripped, out); });
        break;
    }
    default: break;
    }
    if (st_.edit) {
        SendMessageA(st_.edit, EM_SETSEL, 0, 0);
        SendMessageA(st_.edit, EM_SCROLLCARET, 0, 0);
        SetFocus(st_.edit);
    }
}

void run_selected(HWND win) {
    if (st_.processing) return;
    int i = dlg_lbox_sel(win, IDC_AN_KINDS);
    if (i < 0 || i >= static_cast<int>(std::size(kKinds))) return;
    st_.processing = true;
    st_.stop = false;
    HCURSOR old = SetCursor(util_system_cursor(MAKEINTRESOURCEA(32514)));
    SetDlgItemTextA(win, IDCANCEL, "S&top");
    dispatch(kKinds[i].code);
    st_.processing = false;
    if (!IsWindow(win)) return;
    SetDlgItemTextA(win, IDCANCEL, "&Cancel");
    SetCursor(old ? old : util_system_cursor(MAKEINTRESOURCEA(32512)));
    // A close asked for during the run happens now that the run has unwound.
    if (st_.close_after_run) DestroyWindow(win);
}

void restart_timer(HWND win) {
    KillTimer(win, kReanalyzeTimer);
    SetTimer(win, kReanalyzeTimer, 600, nullptr);
}

void on_prefix_changed(HWND win) {
    std::string t = dlg_get_text(win, IDC_AN_PREFIX);
    if (t.find_first_of("[]") != std::string::npos) {
        // Nothing of a refused text is stored, not even what a pending renumbering would take.
        KillTimer(win, kReanalyzeTimer);
        st_.prefix_edited = false;
        msg_note("Cannot use '[' or ']' in Prefix");
        return;
    }
    restart_timer(win);
}

void on_timer(HWND win) {
    KillTimer(win, kReanalyzeTimer);
    // The text never changes under a running analysis, nor the document under a dialog or a
    // box: try again after them.
    if (st_.processing || dlg_document_held()) {
        restart_timer(win);
        return;
    }
    const std::string prefix = dlg_get_text(win, IDC_AN_PREFIX);
    if (st_.prefix_edited && prefix.find_first_of("[]") == std::string::npos) view_text_param_set(25, prefix);
    st_.prefix_edited = false;
    st_.text = scope_text(st_.key);
    run_selected(win);
    if (!IsWindow(win)) return;
    SetFocus(GetDlgItem(win, IDC_AN_PREFIX));
    // Typing goes on after the text instead of replacing it.
    int n = static_cast<int>(dlg_get_text(win, IDC_AN_PREFIX).size());
    SendDlgItemMessageA(win, IDC_AN_PREFIX, CB_SETEDITSEL, 0, MAKELPARAM(n, n));
}

void on_scope_changed(HWND win) {
    SendDlgItemMessageA(win, IDC_AN_KINDS, LB_SETCURSEL, 0, 0);
    int sel = static_cast<int>(SendDlgItemMessageA(win, IDC_AN_SCOPE, CB_GETCURSEL, 0, 0));
    Key key = 0;
    if (sel > 0) {
        char buf[256] = {};
        SendDlgItemMessageA(win, IDC_AN_SCOPE, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(buf));
        key = line_key(buf);
    }
    st_.key = key;
    st_.text = scope_text(key);
    out_set(st_.text);
    if (st_.edit) {
        SendMessageA(st_.edit, EM_SETSEL, 0, 0);
        SetFocus(st_.edit);
    }
}

void copy_output() {
    if (!st_.edit) return;
    DWORD a = 0, b = 0;
    SendMessageA(st_.edit, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    if (a >= b) SendMessageA(st_.edit, EM_SETSEL, 0, -1);
    SendMessageA(st_.edit, WM_COPY, 0, 0);
}

void draft(HWND win) {
    const std::string name = file_current_name();
    const bool beside = !file_is_untitled() && file_ext(name) == ".vrn";
    const std::string rtf = beside ? file_with_ext(name, ".rtf") : std::string();
    // Asked while the Analyzer is open: No leaves everything as it was.
    if (beside && !file_may_replace(rtf, "Draft")) return;
    DestroyWindow(win);
    if (!beside) {
        msg_note("The document has no file yet, so the draft has no place beside it: nothing was written.\n"
                 "Save the document, then Draft again.");
        return;
    }
    std::string err;
    if (view_save(rtf, &err)) msg_note("The draft was written to " + rtf);
    else msg_error(err.empty() ? "Saving " + rtf : err);
}

void on_init(HWND win) {
    st_.dlg = win;
    dlg_fixed_font(win, IDC_AN_SCOPE);
    dlg_on_create(win, IDD_ANALYZE, 1);
    HWND kinds = GetDlgItem(win, IDC_AN_KINDS);
    for (const auto& k : kKinds) SendMessageA(kinds, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(k.name));
    SendMessageA(kinds, LB_SETCURSEL, 0, 0);
    HWND scope = GetDlgItem(win, IDC_AN_SCOPE);
    SendMessageA(scope, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("<Entire file>"));
    std::vector<std::string> lines = scope_lines();
    int sel = 0;
    if (st_.key != 0) {
        size_t pos = util_obj_line_pos(st_.key, lines);
        if (pos < lines.size() && line_key(lines[pos]) == st_.key) {
            sel = static_cast<int>(pos) + 1;
        } else if (auto o = view_obj_get(st_.key)) {
            // An object outside the sequence gets a line of its own, so the scope names it.
            lines.push_back(util_obj_list_line(*o));
            sel = static_cast<int>(lines.size());
        }
    }
    for (const auto& l : lines) SendMessageA(scope, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(l.c_str()));
    SendMessageA(scope, CB_SETCURSEL, sel, 0);
    HWND lists = GetDlgItem(win, IDC_AN_CLIST);
    for (const auto& w : clist_words()) SendMessageA(lists, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
    SendMessageA(lists, CB_SETCURSEL, prev_.checklist, 0);
    HWND prefix = GetDlgItem(win, IDC_AN_PREFIX);
    for (const char* p : kPrefixes) SendMessageA(prefix, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p));
    SetWindowTextA(prefix, view_text_param_get(25).c_str());
    st_.prefix_edited = false;
    out_set(st_.text);
}

void on_destroy(HWND win) {
    KillTimer(win, kReanalyzeTimer);
    int cl = static_cast<int>(SendDlgItemMessageA(win, IDC_AN_CLIST, CB_GETCURSEL, 0, 0));
    prev_ = {st_.key, std::max(cl, 0)};
    clist_release_index();
    dlg_on_destroy(win, IDD_ANALYZE, 1);
    // Seq# Show/Hide is left as it is: the Analyzer never changes it, so putting back the state
    // of its opening would only undo what the user chose meanwhile.
    st_.dlg = nullptr;
    st_.edit = nullptr;
    st_.text.clear();
    st_.close_after_run = false;
    // A run still unwinding below this point sees the stop and ends.
    st_.stop = true;
}

void on_close_request(HWND win) {
    if (st_.processing) {
        st_.stop = true;
        st_.close_after_run = true;
        return;
    }
    DestroyWindow(win);
}

bool on_command(HWND win, int id, int code) {
    switch (id) {
    case IDC_AN_KINDS:
        if (code == LBN_SELCHANGE) run_selected(win);
        return true;
    case IDC_AN_SCOPE:
        if (code == CBN_SELCHANGE) on_scope_changed(win);
        return true;
    case IDC_AN_PREFIX:
        if (code == CBN_EDITCHANGE || code == CBN_SELCHANGE) {
            st_.prefix_edited = true;
            on_prefix_changed(win);
        }
        return true;
    case IDC_AN_CLIST:
        if (code == CBN_SELCHANGE) on_prefix_changed(win);
        return true;
    case IDC_AN_DRAFT: draft(win); return true;
    case IDC_AN_COPY: copy_output(); return true;
    case IDC_AN_HELP: help_context(109); return true;
    case IDCANCEL:
        if (st_.processing) st_.stop = true;  // the button reads "Stop" during a run
        else DestroyWindow(win);
        return true;
    default: return false;
    }
}

}  // namespace

LRESULT CALLBACK analyze_handler(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: {
        if (!st_.font) st_.font = font_create(3, 1);
        // The text windows' editor lays out any text, wrapped, in linear time; the system's edit
        // control takes minutes over a long paragraph.
        LOGFONTA lf{};
        if (st_.font) GetObjectA(st_.font, sizeof lf, &lf);
        st_.edit = shell_hooks_.text_editor ? shell_hooks_.text_editor(win, lf, true) : nullptr;
        if (!st_.edit) {
            st_.edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                       WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL | ES_WANTRETURN,
                                       0, 0, 10, 10, win, nullptr, GetModuleHandleA(nullptr), nullptr);
            SendMessageA(st_.edit, EM_SETLIMITTEXT, 0, 0);
            if (st_.font) SendMessageA(st_.edit, WM_SETFONT, reinterpret_cast<WPARAM>(st_.font), FALSE);
        }
        return 0;
    }
    case WM_SIZE:
        if (st_.edit) MoveWindow(st_.edit, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    case WM_SETFOCUS:
        if (st_.edit) SetFocus(st_.edit);
        return 0;
    default: return DefWindowProcA(win, msg, wp, lp);
    }
}

INT_PTR CALLBACK dlg_analyze_text_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: on_init(win); return TRUE;
    case WM_COMMAND: return on_command(win, LOWORD(wp), HIWORD(wp)) ? TRUE : FALSE;
    case WM_TIMER:
        if (wp == kReanalyzeTimer) {
            on_timer(win);
            return TRUE;
        }
        break;
    case WM_SIZE:
        dlg_stretch_control(win, IDC_AN_CLIST, 29, 0);
        dlg_stretch_control(win, IDC_AN_PREFIX, 29, 0);
        dlg_stretch_control(win, IDC_AN_OUTPUT, 29, 45);
        dlg_stretch_control(win, IDC_AN_KINDS, 0, 45);
        break;
    case WM_CLOSE: on_close_request(win); return TRUE;
    case WM_VORN_REPLACED:
        // Its text, scope and pending ID Prefix belong to the document it was opened for.
        KillTimer(win, kReanalyzeTimer);
        st_.prefix_edited = false;
        on_close_request(win);
        // A run under way closes the window once it has unwound.
        return IsWindow(win) ? dlg_stay_open(win) : TRUE;
    case WM_DESTROY: on_destroy(win); break;
    default: break;
    }
    return FALSE;
}

void analyze_open() {
    if (HWND d = st_.dlg ? st_.dlg : dlg_find_modeless(IDD_ANALYZE)) {
        SetForegroundWindow(d);
        return;
    }
    Key key = 0;
    for (Key k : marked_obj_) {
        if (auto o = view_obj_get(k); o && o->action == 0) {
            key = k;
            break;
        }
    }
    if (key == 0 && prev_.key != 0 && view_obj_get(prev_.key)) key = prev_.key;
    // Open text windows close first (this may change what is marked: the choice is made above).
    task_menu_cmd(CMD_CLOSE_WINDOWS);
    st_.key = key;
    st_.text = scope_text(key);
    st_.stop = false;
    CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ANALYZE), main_inst_, trap_dlg<dlg_analyze_text_eh>, 0);
    if (!st_.dlg) return;
    ShowWindow(st_.dlg, SW_SHOW);
    RedrawWindow(st_.dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void analyze_init() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = trap_wnd<analyze_handler>;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Analyze";
    wc.hCursor = util_system_cursor(MAKEINTRESOURCEA(32512));
    RegisterClassA(&wc);
    static const Command commands[] = {{CMD_ANALYZER, analyze_open}};
    cmd_register_all(commands);
}
