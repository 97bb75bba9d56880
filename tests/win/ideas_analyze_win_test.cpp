#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "bars/tbar.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/palette.h"
#include "base/file.h"
#include "base/settings.h"
#include "ideas/clist_win.h"
#include "document/globals.h"
#include "document/view.h"
#include "resources/analyze_ids.h"
#include "resources/help_ids.h"
#include "resources/ids.h"
#include "services/help_win.h"
#include "win/win_test_util.h"

namespace {

using wt::pump;

std::string text_of(HWND w) {
    std::string s(static_cast<size_t>(GetWindowTextLengthA(w)) + 1, '\0');
    GetWindowTextA(w, s.data(), static_cast<int>(s.size()));
    s.resize(s.size() - 1);
    return s;
}

class Analyzer : public wt::MainWindowTest {
protected:
    Analyzer() : MainWindowTest("vorn_analyze_test") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        view_doc() = Document();
        marked_obj_.clear();
    }
    void TearDown() override {
        if (HWND d = dlg_find_modeless(IDD_ANALYZE)) DestroyWindow(d);
        marked_obj_.clear();
        MainWindowTest::TearDown();
    }
    Key put(const std::string& id, const std::string& text) {
        Obj o;
        o.id = id;
        o.level = 1;
        o.ext = text;
        return view_obj_put(o).value_or(0);
    }
    HWND open() {
        SendMessageA(win_, WM_COMMAND, CMD_ANALYZER, 0);
        pump(20);
        return dlg_find_modeless(IDD_ANALYZE);
    }
    // The editor that shows the output.
    static HWND output(HWND dlg) { return GetWindow(GetDlgItem(dlg, IDC_AN_OUTPUT), GW_CHILD); }
    static void choose(HWND dlg, const char* kind) {
        HWND lb = GetDlgItem(dlg, IDC_AN_KINDS);
        LRESULT i = SendMessageA(lb, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(kind));
        ASSERT_GE(i, 0) << kind;
        SendMessageA(lb, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_AN_KINDS, LBN_SELCHANGE), reinterpret_cast<LPARAM>(lb));
    }
};

TEST_F(Analyzer, MarkedObjectsTextGivesStatisticsAndSyllables) {
    marked_obj_.push_back(put("Furniture", "A table by the window.\nAble once."));
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_AN_KINDS, LB_GETCOUNT, 0, 0), 22);
    EXPECT_EQ(text_of(output(dlg)), "A table by the window.\r\nAble once.");
    choose(dlg, "Syllables");
    EXPECT_EQ(text_of(output(dlg)), "A ta-ble by the win-dow.\r\nA-ble once.\r\n");
    choose(dlg, "Statistics");
    std::string r = text_of(output(dlg));
    EXPECT_NE(r.find("Number of Objects = 1\r\n"), std::string::npos) << r;
    EXPECT_NE(r.find("Number of Sentences = 2\r\n"), std::string::npos) << r;
    EXPECT_NE(r.find("Number of Words = 7\r\n"), std::string::npos) << r;
    EXPECT_NE(r.find("Number of Syllables = 8\r\n"), std::string::npos) << r;
    EXPECT_EQ(text_of(GetDlgItem(dlg, IDCANCEL)), "&Cancel");
    SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    pump(20);
    EXPECT_EQ(dlg_find_modeless(IDD_ANALYZE), nullptr);
}

TEST_F(Analyzer, SpellErrorReadsWhatTheTextShows) {
    // A field's hidden action text is no word of the text; accented words stay whole.
    marked_obj_.push_back(put("Notes", std::string("A wrng \x0bgoal\x0e" "15Goalzzq\x0f at the caf\xe9.")));
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    choose(dlg, "Spell Error");
    EXPECT_EQ(text_of(output(dlg)), "wrng\r\n");
}

TEST_F(Analyzer, DiagramKindsListLinksAndTheirEnds) {
    Key a = put("Rain", "Rain falls. It wets the ground. Then");
    Key b = put("Flood", "");
    Key c = put("Dry", "");
    Link l;
    l.from = a;
    l.to = b;
    ASSERT_TRUE(view_link_add(l));
    l.to = c;
    ASSERT_TRUE(view_link_add(l));
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    // The scope an earlier opening left behind gives way to the whole document.
    HWND scope = GetDlgItem(dlg, IDC_AN_SCOPE);
    SendMessageA(scope, CB_SETCURSEL, 0, 0);
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_AN_SCOPE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(scope));
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_AN_KINDS, LB_GETCURSEL, 0, 0), 0);
    choose(dlg, "Links");
    EXPECT_EQ(text_of(output(dlg)), "Rain ---> Flood\r\nRain ---> Dry\r\n");
    choose(dlg, "ID:Causes");
    EXPECT_EQ(text_of(output(dlg)), "Rain\r\n");
    choose(dlg, "ID:Effects");
    EXPECT_EQ(text_of(output(dlg)), "Flood\r\nDry\r\n");
    // Only the objects of the colour picked in the palette now, not the one saved with the document.
    auto dry = view_obj_get(c);
    dry->colour = 5;
    view_obj_put(*dry);
    view_param_set(310, view_obj_get(a)->colour);
    SendMessageA(win_, WM_COMMAND, CMD_PALETTE1, 0);
    Rc cell = tbar_model().cell_rect(5, false);
    wt::click(tbar_inst_, (cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    ASSERT_EQ(tbar_current_color().index, 5);
    choose(dlg, "Text:Curr Color");
    std::string coloured = text_of(output(dlg));
    EXPECT_NE(coloured.find("Dry"), std::string::npos) << coloured;
    EXPECT_EQ(coloured.find("Rain"), std::string::npos) << coloured;
    marked_obj_.clear();
    SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    marked_obj_.push_back(a);
    dlg = open();
    ASSERT_NE(dlg, nullptr);
    choose(dlg, "Sentences");
    EXPECT_EQ(text_of(output(dlg)), "Rain falls.\r\nIt wets the ground.\r\n");
    choose(dlg, "Links");
    EXPECT_EQ(text_of(output(dlg)), "Link to: Flood\r\nLink to: Dry\r\n");
}

TEST_F(Analyzer, ChecklistKindsUseTheChosenChecklist) {
    std::ofstream(path("index.kba"), std::ios::binary) << "index_(\"weather.l\",\"Weather\",1,0)\ntopic_(1,\"W\")\n";
    std::ofstream(path("weather.l"), std::ios::binary) << "Rain\nDam\nStorm\n";
    file_setting_set_text("Checklist", path("index.kba"));
    clist_drop_index();
    marked_obj_.push_back(put("Note", "Rain and rain (rain) fell on the dam."));
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    SendDlgItemMessageA(dlg, IDC_AN_CLIST, CB_SETCURSEL, 0, 0);
    choose(dlg, "Chklist Freq");
    EXPECT_EQ(text_of(output(dlg)), "rain  3\r\ndam  1\r\nstorm  0\r\n");
    choose(dlg, "Chklist Words");
    EXPECT_EQ(text_of(output(dlg)), "RAIN and RAIN (RAIN) fell on the DAM.");
    EXPECT_TRUE(wt::Boxes::errors.empty());
    // The same list saved with CR LF, as the program's text windows save it, and as UTF-8.
    std::ofstream(path("weather.l"), std::ios::binary) << "\xEF\xBB\xBFRain\r\nDam\r\nStorm\r\nN\xC3\xA9v\xC3\xA9\r\n";
    SendMessageA(output(dlg), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    choose(dlg, "Chklist Words");
    EXPECT_EQ(text_of(output(dlg)), "RAIN and RAIN (RAIN) fell on the DAM.");
    clist_drop_index();
}

TEST_F(Analyzer, ChoosingAChecklistKeepsTheNumberingFormat) {
    std::ofstream(path("index.kba"), std::ios::binary) << "index_(\"a.l\",\"Alpha\",1,0)\nindex_(\"b.l\",\"Beta\",1,0)\n";
    file_setting_set_text("Checklist", path("index.kba"));
    view_text_param_set(25, "A.a.1");
    file_clear_changed();
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    HWND prefix = GetDlgItem(dlg, IDC_AN_PREFIX);
    EXPECT_EQ(text_of(prefix), "A.a.1");
    HWND lists = GetDlgItem(dlg, IDC_AN_CLIST);
    SendMessageA(lists, CB_SETCURSEL, 1, 0);
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_AN_CLIST, CBN_SELCHANGE), reinterpret_cast<LPARAM>(lists));
    pump(800);
    EXPECT_EQ(view_text_param_get(25), "A.a.1");
    EXPECT_EQ(file_is_changed(), 0);
}

TEST_F(Analyzer, EachDocumentGetsItsOwnChecklistIndex) {
    std::ofstream(path("index.kba"), std::ios::binary) << "index_(\"weather.l\",\"Weather\",1,0)\n";
    std::ofstream(path("weather.l"), std::ios::binary) << "rain\n";
    std::ofstream(path("user.kba"), std::ios::binary) << "";
    file_setting_set_text("Checklist", path("index.kba"));
    file_setting_set_text("ChecklistUser", path("user.kba"));
    view_param_set(16, 1);
    marked_obj_.push_back(put("Note", "rain"));
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_AN_CLIST, CB_GETCOUNT, 0, 0), 0);
    SendDlgItemMessageA(dlg, IDCANCEL, BM_CLICK, 0, 0);
    pump(20);
    // The next document uses the standard index.
    view_doc() = Document();
    marked_obj_ = {put("Note", "rain")};
    dlg = open();
    ASSERT_NE(dlg, nullptr);
    ASSERT_EQ(SendDlgItemMessageA(dlg, IDC_AN_CLIST, CB_GETCOUNT, 0, 0), 1);
    SendDlgItemMessageA(dlg, IDC_AN_CLIST, CB_SETCURSEL, 0, 0);
    choose(dlg, "Chklist Freq");
    EXPECT_EQ(text_of(output(dlg)), "rain  1\r\n");
    EXPECT_TRUE(wt::Boxes::notes.empty());
    SendDlgItemMessageA(dlg, IDCANCEL, BM_CLICK, 0, 0);
    pump(20);
    // Closing let the records go: an index changed on disk meanwhile is read again.
    std::ofstream(path("index.kba"), std::ios::binary) << "index_(\"weather.l\",\"Weather\",1,0)\nindex_(\"b.l\",\"Beta\",1,0)\n";
    dlg = open();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_AN_CLIST, CB_GETCOUNT, 0, 0), 2);
}

TEST_F(Analyzer, AnObjectOutsideTheSequenceIsTheScopeLineShown) {
    Key first = put("First", "one");
    Key second = put("Second", "two");
    Key loose = put("Loose", "three");
    view_doc().seq = {SeqEntry{first, 1, ""}, SeqEntry{second, 2, ""}};
    marked_obj_ = {loose};
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    HWND scope = GetDlgItem(dlg, IDC_AN_SCOPE);
    std::string line = text_of(scope);
    EXPECT_EQ(line.rfind("Loose", 0), 0u) << line;
    EXPECT_EQ(text_of(output(dlg)), "three");
    // Statistics of the whole document still count the sequenced objects only.
    SendMessageA(scope, CB_SETCURSEL, 0, 0);
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_AN_SCOPE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(scope));
    choose(dlg, "Statistics");
    std::string r = text_of(output(dlg));
    EXPECT_NE(r.find("Number of Objects = 2\r\n"), std::string::npos) << r;
}

TEST_F(Analyzer, ClosingKeepsTheSeqShowHideTheUserChose) {
    put("First", "one");
    // Shown or hidden while the window is open: so it stays after it.
    for (int was : {0, 1}) {
        if (menu_checked(CMD_SEQ_SHOW) != was) SendMessageA(win_, WM_COMMAND, CMD_SEQ_SHOW, 0);
        HWND dlg = open();
        ASSERT_NE(dlg, nullptr);
        SendMessageA(win_, WM_COMMAND, CMD_SEQ_SHOW, 0);
        ASSERT_EQ(menu_checked(CMD_SEQ_SHOW), 1 - was);
        SendDlgItemMessageA(dlg, IDCANCEL, BM_CLICK, 0, 0);
        pump(20);
        EXPECT_EQ(menu_checked(CMD_SEQ_SHOW), 1 - was);
    }
    if (menu_checked(CMD_SEQ_SHOW)) SendMessageA(win_, WM_COMMAND, CMD_SEQ_SHOW, 0);
}

// One long paragraph, as an object's text often is: the output wraps at any size, opening and
// every kind show the whole of it, and the output can be copied and typed into.
TEST_F(Analyzer, OneLongParagraphOpensWrappedAndEveryKindShowsAllOfIt) {
    std::string para;
    while (para.size() < 400000) para += "The board met in Rome. Anna spoke, and the plan - at last - passed. ";
    marked_obj_ = {put("Minutes", para)};
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    HWND out = output(dlg);
    EXPECT_EQ(text_of(out), para);
    EXPECT_GT(SendMessageA(out, EM_GETLINECOUNT, 0, 0), 1000);
    choose(dlg, "Plain Text");
    EXPECT_EQ(text_of(out), para);
    choose(dlg, "Sentences");
    std::string sentences = text_of(out);
    EXPECT_EQ(sentences.substr(0, 48), "The board met in Rome.\r\nAnna spoke, and the plan");
    EXPECT_GT(sentences.size(), para.size() - 1000);
    choose(dlg, "Abstract");
    std::string abstract = text_of(out);
    EXPECT_EQ(abstract.substr(0, 20), ". board.. Rome. Anna");
    EXPECT_EQ(abstract.substr(abstract.size() - 8), " passed.") << abstract.substr(abstract.size() - 40);
    choose(dlg, "Clauses");
    EXPECT_NE(text_of(out).find("Anna spoke,\r\n    and the plan ,\r\n    - at last ,\r\n    - passed."), std::string::npos);
    choose(dlg, "Syllables");
    EXPECT_EQ(text_of(out).substr(0, 29), "The board met in Rome. An-na ");
    // Copy with nothing selected takes everything; typing goes into the output.
    SendMessageA(out, EM_SETSEL, 0, 0);
    SendDlgItemMessageA(dlg, IDC_AN_COPY, BM_CLICK, 0, 0);
    ASSERT_TRUE(OpenClipboard(win_));
    HANDLE h = GetClipboardData(CF_TEXT);
    size_t copied = h ? std::strlen(static_cast<const char*>(GlobalLock(h))) : 0;
    if (h) GlobalUnlock(h);
    CloseClipboard();
    EXPECT_EQ(copied, text_of(out).size());
    SendMessageA(out, EM_SETSEL, 0, 0);
    SendMessageA(out, WM_CHAR, 'X', 0);
    EXPECT_EQ(text_of(out).substr(0, 5), "XThe ");
}

// Index and Word Length show counts of 30,000 and more as they are.
TEST_F(Analyzer, IndexCountsBeyondThirtyThousand) {
    std::string text;
    for (int k = 0; k < 31000; ++k) text += "budget ";
    text += "review review";
    marked_obj_ = {put("Counts", text)};
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    choose(dlg, "Index");
    EXPECT_EQ(text_of(output(dlg)), "budget   31000\r\nreview   2\r\n");
}

// Proper Nouns with the names and common words the program ships: no common word in capitals
// or title case, names after a title or an opening quote.
TEST_F(Analyzer, ProperNounsListNamesNotCommonWords) {
    marked_obj_ = {put("Names", "She said, \"It works.\" We met Anna in Rome. THE SOFTWARE IS PROVIDED AS IS, WITHOUT "
                                "WARRANTY OF ANY KIND. Mr. Smith and Dr. Brown came from Paris.")};
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    choose(dlg, "Proper Nouns");
    EXPECT_EQ(text_of(output(dlg)), "Anna\r\nRome\r\nSmith\r\nBrown\r\nParis\r\n");
}

TEST_F(Analyzer, TextWithoutWordsShowsNoIndex) {
    marked_obj_.push_back(put("Empty", " . "));
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    choose(dlg, "Statistics");
    std::string r = text_of(output(dlg));
    EXPECT_NE(r.find("Number of Words = 0\r\n"), std::string::npos) << r;
    EXPECT_NE(r.find("Flesch Index (0-100) =    n/a"), std::string::npos) << r;
    EXPECT_NE(r.find("Coleman-Liau Index (Grade Level) =  n/a"), std::string::npos) << r;
}

TEST_F(Analyzer, StopEndsEveryLongRunKeepingItsOutputAndCloseWaitsForIt) {
    std::string big;
    while (big.size() < (1u << 20)) big += "Paris and London saw 12 boats. Lopez left - fast, then came back. ";
    marked_obj_.push_back(put("Long", big));
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    for (const char* kind : {"Plain Text", "Syllables", "Sentences", "Clauses", "Abstract", "Proper Nouns", "Numerics"}) {
        // The click on Stop waits in the queue until the run lets it in.
        PostMessageA(GetDlgItem(dlg, IDCANCEL), BM_CLICK, 0, 0);
        choose(dlg, kind);
        pump(20);
        ASSERT_EQ(dlg_find_modeless(IDD_ANALYZE), dlg) << kind;
        EXPECT_EQ(text_of(GetDlgItem(dlg, IDCANCEL)), "&Cancel") << kind;
        std::string out = text_of(output(dlg));
        EXPECT_FALSE(out.empty()) << kind;
        EXPECT_LT(out.size(), big.size() / 4) << kind;
    }
    // Statistics stopped early reports the counts reached.
    PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    choose(dlg, "Statistics");
    std::string r = text_of(output(dlg));
    ASSERT_NE(r.find("Number of Words = "), std::string::npos) << r;
    long long words = std::atoll(r.c_str() + r.find("Number of Words = ") + 18);
    EXPECT_GT(words, 0);
    EXPECT_LT(words, static_cast<long long>(big.size() / 6));
    ASSERT_EQ(dlg_find_modeless(IDD_ANALYZE), dlg);
    // A close during a run acts as Stop and closes once the run has unwound.
    PostMessageA(dlg, WM_CLOSE, 0, 0);
    choose(dlg, "Syllables");
    pump(20);
    EXPECT_FALSE(IsWindow(dlg));
    EXPECT_EQ(dlg_find_modeless(IDD_ANALYZE), nullptr);
}

TEST_F(Analyzer, PrefixChangeReanalysesOnlyAfterAPause) {
    Key a = put("Plan", "");
    Key b = put("Build", "");
    Link l;
    l.from = a;
    l.to = b;
    ASSERT_TRUE(view_link_add(l));
    tbar_set_current_color(view_obj_get(a)->colour);
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    choose(dlg, "Text:Curr Color");
    std::string before = text_of(output(dlg));
    HWND prefix = GetDlgItem(dlg, IDC_AN_PREFIX);
    // Each keystroke restarts the wait, so typing "A.a.1" costs one analysis, not five.
    for (const char* typed : {"A", "A.a", "A.a.1"}) {
        SetWindowTextA(prefix, typed);
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_AN_PREFIX, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(prefix));
        pump(200);
        EXPECT_EQ(text_of(output(dlg)), before) << typed;
    }
    pump(800);
    std::string after = text_of(output(dlg));
    EXPECT_NE(after, before);
    EXPECT_NE(after.find("Plan"), std::string::npos) << after;
    EXPECT_EQ(view_text_param_get(25), "A.a.1");
}

TEST_F(Analyzer, CopyTakesTheWholeOutputWithoutASelection) {
    marked_obj_.push_back(put("Note", "Rain falls. It wets the ground."));
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    choose(dlg, "Sentences");
    SendMessageA(output(dlg), EM_SETSEL, 0, 0);
    SendDlgItemMessageA(dlg, IDC_AN_COPY, BM_CLICK, 0, 0);
    ASSERT_TRUE(OpenClipboard(win_));
    HANDLE h = GetClipboardData(CF_TEXT);
    std::string copied = h ? static_cast<const char*>(GlobalLock(h)) : "";
    if (h) GlobalUnlock(h);
    CloseClipboard();
    EXPECT_EQ(copied, "Rain falls.\r\nIt wets the ground.\r\n");
}

TEST_F(Analyzer, DraftSavesBesideTheDocumentAndHelpOpensItsTopic) {
    put("Goal", "Finish the draft.");
    file_set_current_name(path("plan.vrn"));
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    SendDlgItemMessageA(dlg, IDC_AN_HELP, BM_CLICK, 0, 0);
    pump(50);
    ASSERT_NE(help_viewer_window(), nullptr);
    EXPECT_EQ(text_of(GetDlgItem(help_viewer_window(), IDC_HELP_TITLE)), "Analyzer");
    DestroyWindow(help_viewer_window());
    SendDlgItemMessageA(dlg, IDC_AN_DRAFT, BM_CLICK, 0, 0);
    pump(20);
    EXPECT_FALSE(IsWindow(dlg));
    std::ifstream in(path("plan.rtf"), std::ios::binary);
    std::string rtf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u) << rtf.substr(0, 40);
    EXPECT_NE(rtf.find("Finish the draft."), std::string::npos);
    EXPECT_TRUE(wt::Boxes::errors.empty());
    in.close();
    file_set_current_name("");
}

}  // namespace
