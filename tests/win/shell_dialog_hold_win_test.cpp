// Dialogs and tools belong to their document. A modal dialog holds the program: after a note
// inside it the main window stays disabled, and clicks, commands and drops that arrive meanwhile
// change nothing. A modeless dialog or tool follows its document: when another document is
// opened under it, it closes putting back what it showed, or reads the new one, and never
// writes one document's values into the other. Driven through the real message path: menu
// commands, clicks on the diagram, the real message boxes answered by their buttons, keys to the
// focused control, File > Open through its file dialog; then the files are read.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/file_win.h"
#include "app/vorn6_win.h"
#include "bars/listview_win.h"
#include "bars/sbar.h"
#include "base/dlg_win.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/util.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "document/view_io.h"
#include "elements/icon.h"
#include "resources/analyze_ids.h"
#include "resources/diag_ids.h"
#include "resources/bg_ids.h"
#include "resources/dlgs_ids.h"
#include "resources/ideas_tools_ids.h"
#include "resources/ids.h"
#include "resources/print_ids.h"
#include "resources/rich_ids.h"
#include "resources/shapes_ids.h"
#include "resources/spell_ids.h"
#include "view/view_win.h"
#include "win/win_test_util.h"

namespace {

using wt::Boxes;
using wt::press;

constexpr int kLinkProperties = 10794;  // of the link's pop-up menu

using wt::file_bytes;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string box_text(HWND box) {
    char t[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, t, sizeof t);
    return t;
}

// A combo box's choice `pos`, as the user picks it.
void pick(HWND dlg, int id, int pos) {
    SendDlgItemMessageA(dlg, id, CB_SETCURSEL, pos, 0);
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

// The program's own message boxes are shown for real while it lives.
struct ShownBoxes {
    MsgHooks recorder = msg_set_hooks({});
    ShownBoxes() { vorn_install_message_boxes(); }
    ~ShownBoxes() { msg_set_hooks(recorder); }
};

// Another dialog titled `title` beside `keep` is recorded and cancelled, so that a second copy a
// fault lets in cannot hold the test.
std::string other_title_;
HWND keep_ = nullptr;
int others_ = 0;
BOOL CALLBACK cancel_other(HWND w, LPARAM) {
    char title[128] = {};
    GetWindowTextA(w, title, sizeof title);
    if (w != keep_ && IsWindowVisible(w) && IsWindowEnabled(w) && has(title, other_title_)) {
        ++others_;
        press(w, IDCANCEL);
    }
    return TRUE;
}
void CALLBACK watch_others(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), cancel_other, 0); }

// A file dropped from elsewhere at `at` (client pixels of the diagram).
HDROP drop_of(const std::string& file, POINT at) {
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + file.size() + 2);
    auto* d = static_cast<DROPFILES*>(GlobalLock(g));
    d->pFiles = sizeof(DROPFILES);
    d->pt = at;
    memcpy(reinterpret_cast<char*>(d) + sizeof(DROPFILES), file.c_str(), file.size());
    GlobalUnlock(g);
    return static_cast<HDROP>(g);
}

class DialogHold : public wt::MainWindowTest {
public:
    DialogHold() : MainWindowTest("vorn_dialog_hold_test", SW_SHOWNOACTIVATE) {}
    HWND main_window() const { return win_; }
    void SetUp() override {
        MainWindowTest::SetUp();
        view_doc() = Document();
        view_undo_clear();
        marked_obj_.clear();
        marked_shape_.clear();
        others_ = 0;
    }
    void TearDown() override {
        marked_shape_.clear();
        MainWindowTest::TearDown();
    }
    void command(int id) { SendMessageA(win_, WM_COMMAND, id, 0); }
    // A click on the diagram at `lp`: sent as the user's, or posted from elsewhere.
    void click(Pt lp, UINT down, WPARAM keys, bool post = false) {
        view_invalidate();
        UpdateWindow(view_inst_);
        Pt d = view_mapping().to_device(lp);
        for (UINT msg : {down, UINT{WM_LBUTTONUP}}) {
            WPARAM k = msg == WM_LBUTTONUP ? keys & ~WPARAM{MK_LBUTTON} : keys;
            if (post) PostMessageA(view_inst_, msg, k, MAKELPARAM(d.x, d.y));
            else SendMessageA(view_inst_, msg, k, MAKELPARAM(d.x, d.y));
        }
    }
    void ctrl_click(Pt lp, bool post = false) { click(lp, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, post); }
    // A document of its own on disk: objects along the x axis, each with a text.
    std::string make(const char* name, const std::vector<std::pair<std::string, std::string>>& objs,
                     const std::function<void(Document&)>& more = nullptr) {
        Document d;
        int x = -300;
        for (const auto& [id, text] : objs) {
            Obj o;
            o.key = static_cast<Key>(d.objs.size() + 1);
            o.id = id;
            o.level = 1;
            o.x = x;
            o.shape = 161;
            o.size = 15;
            o.ext = text;
            d.add_obj(o);
            x += 300;
        }
        if (more) more(d);
        const std::string file = path(name);
        std::ofstream(file, std::ios::binary) << d.to_text();
        return file;
    }
    void open(const std::string& file) { ASSERT_EQ(file_open_document(file), 1); }
    // File > Open through its file dialog; a save question is answered No.
    void open_by_menu(const std::string& file) {
        wt::when_dialog("Open File", [file](HWND d) { wt::choose_file(d, file); });
        command(CMD_OPEN);
        wt::pump(50);
        ASSERT_EQ(util_lower(file_current_name()), util_lower(file));
    }
    // The document as saved now, beside the file it came from.
    std::string saved_now() {
        std::string err;
        EXPECT_TRUE(view_save_file(path("now.vrn"), &err)) << err;
        return file_bytes(path("now.vrn"));
    }
};

// ---- A modal dialog holds the program.

struct ModalCase {
    const char* title;
    std::function<void(DialogHold&)> open;  // as the user opens it
    std::function<void(HWND)> refuse;       // an entry the button below refuses with a box
    const char* box;                        // the box's title and part of its text
    const char* says;
    std::function<void(DialogHold&)> again;  // the same opening, arriving while the dialog runs
    int button = IDOK;
};

// After a box inside each kind of modal dialog the main window is still disabled and the keys
// are the dialog's; a second copy of the dialog, a double-click that would make an object and a
// menu command that arrive meanwhile do nothing; Cancel then leaves the document as it was.
TEST_F(DialogHold, ABoxInsideAModalDialogKeepsTheProgramHeld) {
    const std::string doc = make("hold.vrn", {{"Alpha", ""}, {"Beta", ""}, {"Gamma", ""}}, [](Document& d) {
        for (int k = 0; k < 2; ++k) {
            Shape s;
            s.key = static_cast<Key>(k + 1);
            s.kind = 1;
            s.level = 1;
            s.left = -350 + 500 * k, s.top = 400, s.right = -150 + 500 * k, s.bottom = 250;
            d.shapes.push_back(s);
        }
        d.points.push_back({1, 1, -200, -300, 0x00FF00});
        d.points.push_back({1, 1, 200, -300, 0x0000FF});
        Obj top;
        top.key = 9;
        top.id = "Top";
        top.level = -250;
        d.add_obj(top);
        d.links.push_back(Link{1, 2, 0, 0, 0, 0, ""});
        d.links.push_back(Link{2, 3, 0, 0, 0, 0, ""});
    });
    open(doc);
    const ModalCase cases[] = {
        {"Object Properties [#1]", [](DialogHold& t) { t.ctrl_click({-300, 0}); },
         [](HWND d) { SetDlgItemTextA(d, IDC_OBJ_X, "abc"); }, "Error", "X and Y must be whole numbers",
         [](DialogHold& t) { t.ctrl_click({300, 0}, true); }},
        {"Sequence Settings", [](DialogHold& t) { t.command(CMD_SEQUENCE_SETTINGS); }, [](HWND) {}, "Note",
         "Choose the Starting ID", [](DialogHold& t) { PostMessageA(t.main_window(), WM_COMMAND, CMD_SEQUENCE_SETTINGS, 0); }},
        {"Shape Properties [#1]",
         [](DialogHold& t) {
             marked_shape_ = {1};
             t.command(IDM_POP_SHAPE_PROPS);
         },
         [](HWND d) { SetDlgItemTextA(d, IDC_SHAPE_LEFT, "abc"); }, "Note", "must be whole numbers",
         [](DialogHold& t) { t.ctrl_click({250, 300}, true); }},
        {"Point Properties", [](DialogHold& t) { t.ctrl_click({-200, -300}); },
         [](HWND d) { SetDlgItemTextA(d, IDC_POINT_X, "abc"); }, "Note", "X and Y must be whole numbers",
         [](DialogHold& t) { t.ctrl_click({200, -300}, true); }},
        {"Plot Points", [](DialogHold& t) { t.command(CMD_PLOT_POINTS); },
         [](HWND d) { SetDlgItemTextA(d, IDC_PLOT_N, "0"); }, "Note", "The number of points must be",
         [](DialogHold& t) { PostMessageA(t.main_window(), WM_COMMAND, CMD_PLOT_POINTS, 0); }},
        {"Shift",
         [](DialogHold& t) {
             sbar_cmd(kSbarLevel, kSbSet, -250);
             t.command(CMD_SHIFT);
         },
         [](HWND) {}, "Note", "Levels run from", [](DialogHold& t) { PostMessageA(t.main_window(), WM_COMMAND, CMD_SHIFT, 0); },
         IDC_SHIFT_LEVEL_UP},
        {"Link Properties",
         [](DialogHold& t) {
             marked_link_ = {{1, 2}};
             t.command(kLinkProperties);
         },
         [](HWND d) {
             const LRESULT to = SendDlgItemMessageA(d, IDC_LINK_TO, CB_GETCURSEL, 0, 0);
             pick(d, IDC_LINK_FROM, static_cast<int>(to));
         },
         "Note", "From and To must be two different objects",
         [](DialogHold& t) {
             marked_link_ = {{2, 3}};
             PostMessageA(t.main_window(), WM_COMMAND, kLinkProperties, 0);
         }},
        {"Icon Browser",
         [](DialogHold& t) {
             // No icon chosen and nothing in the clipboard: the browser keeps its own title.
             icon_current_set(0);
             OpenClipboard(t.main_window());
             EmptyClipboard();
             CloseClipboard();
             t.command(CMD_INSERT_ICON);
         },
         [](HWND d) { press(d, IDC_ICON_ADVANCED); },
         "Note", "First Copy a small bitmap",
         [](DialogHold& t) { PostMessageA(t.main_window(), WM_COMMAND, CMD_INSERT_ICON, 0); }, IDC_ICON_CREATE},
    };
    for (const ModalCase& c : cases) {
        SCOPED_TRACE(c.title);
        ShownBoxes boxes;
        std::string before;
        const size_t objs = view_doc().objs.size();
        bool driven = false;
        wt::when_dialog(c.title, [&](HWND dlg) {
            driven = true;
            before = view_document_text(view_doc());
            c.refuse(dlg);
            std::string said;
            wt::when_dialog(c.box, [&](HWND box) {
                said = box_text(box);
                press(box, IDOK);
            });
            press(dlg, c.button);
            EXPECT_TRUE(has(said, c.says)) << said;
            ASSERT_TRUE(IsWindow(dlg));
            EXPECT_FALSE(IsWindowEnabled(win_));
            HWND f = GetFocus();
            EXPECT_TRUE(f == dlg || IsChild(dlg, f)) << "the keys went elsewhere";
            // What the main window gets now comes from no user.
            other_title_ = c.title;
            keep_ = dlg;
            UINT_PTR watch = SetTimer(nullptr, 0, 40, watch_others);
            c.again(*this);
            click({0, -600}, WM_LBUTTONDBLCLK, MK_LBUTTON, true);
            PostMessageA(win_, WM_COMMAND, CMD_NEW, 0);
            wt::pump(300);
            KillTimer(nullptr, watch);
            EXPECT_EQ(others_, 0) << "a second dialog opened";
            EXPECT_EQ(view_doc().objs.size(), objs);
            EXPECT_EQ(file_current_name(), doc);
            EXPECT_FALSE(IsWindowEnabled(win_));
            press(dlg, IDCANCEL);
        });
        c.open(*this);
        wt::forget_dialogs();
        EXPECT_TRUE(driven);
        EXPECT_TRUE(IsWindowEnabled(win_));
        EXPECT_EQ(view_document_text(view_doc()), before);
        marked_shape_.clear();
        marked_link_.clear();
        sbar_cmd(kSbarLevel, kSbSet, 1);
    }
}

// A box of a modeless dialog holds the main window and the other tools until it is answered.
TEST_F(DialogHold, ABoxOfAModelessDialogHoldsTheMainWindowUntilAnswered) {
    open(make("print.vrn", {{"Alpha", ""}}));
    ShownBoxes boxes;
    command(CMD_QUESTIONS);
    HWND quest = dlg_find_modeless(IDD_QUEST);
    command(CMD_PRINT);
    HWND print = dlg_find_modeless(IDD_PRINT);
    ASSERT_TRUE(print && quest);
    bool enabled_under_box = true, quest_under_box = true;
    wt::when_dialog("Error", [&](HWND box) {
        enabled_under_box = IsWindowEnabled(win_);
        quest_under_box = IsWindowEnabled(quest);
        press(box, IDOK);
    });
    SetDlgItemTextA(print, IDC_PRINT_SCALE, "999");
    SendMessageA(print, WM_COMMAND, MAKEWPARAM(IDC_PRINT_SCALE, CBN_EDITCHANGE), 0);
    SendMessageA(print, WM_COMMAND, MAKEWPARAM(IDC_PRINT_SCALE, CBN_KILLFOCUS), 0);
    EXPECT_FALSE(enabled_under_box);
    EXPECT_FALSE(quest_under_box);
    EXPECT_TRUE(IsWindowEnabled(win_));
    EXPECT_TRUE(IsWindowEnabled(quest));
    EXPECT_TRUE(IsWindowEnabled(print));
    press(print, IDCANCEL);
    SendMessageA(quest, WM_CLOSE, 0, 0);
}

// A file dropped while Object Defaults runs waits for it: Cancel takes back only the dialog's own
// changes, and the dropped object comes after, as a step of its own.
TEST_F(DialogHold, AFileDroppedUnderAModalDialogComesAfterIt) {
    open(make("drop.vrn", {{"Alpha", ""}}));
    const std::string dropped = path("notes.txt");
    std::ofstream(dropped) << "dropped";
    const int32_t depth = view_param_get(228);
    size_t during = 0;
    wt::when_dialog("Object Defaults", [&](HWND dlg) {
        PostMessageA(view_inst_, WM_DROPFILES, reinterpret_cast<WPARAM>(drop_of(dropped, {40, 40})), 0);
        wt::pump(400);
        during = view_doc().objs.size();
        pick(dlg, IDC_ODEF_DEPTH, depth == 3 ? 2 : 3);
        press(dlg, IDCANCEL);
    });
    command(CMD_OBJECT_DEFAULTS);
    EXPECT_EQ(during, 1u);
    wt::pump(400);
    ASSERT_EQ(view_doc().objs.size(), 2u);
    EXPECT_EQ(view_doc().objs[1].id, "notes.txt");
    EXPECT_EQ(view_doc().objs[1].action, 39);
    EXPECT_EQ(view_param_get(228), depth);
    EXPECT_EQ(view_undo_name(), "Create Object");
    ASSERT_TRUE(view_undo());
    EXPECT_EQ(view_doc().objs.size(), 1u);
    EXPECT_FALSE(view_can_undo());
}

// Shape Defaults restyles the marked shapes as a line style is clicked; Cancel takes it back
// and leaves no step to undo.
TEST_F(DialogHold, ShapeDefaultsCancelTakesBackItsRestyle) {
    Shape s;
    s.kind = 1;
    s.level = 1;
    s.left = -100, s.top = 100, s.right = 100, s.bottom = -100;
    Key k = *view_shape_put(s);
    view_undo_clear();
    file_clear_changed();
    const Shape before = *view_shape_get(k);
    marked_shape_ = {k};
    int32_t restyled = 0;
    wt::when_dialog("Shape Defaults", [&](HWND dlg) {
        press(dlg, IDC_SHAPE_DEF_DASHED);
        restyled = view_shape_get(k)->style;
        press(dlg, IDCANCEL);
    });
    command(CMD_SHAPE_DEFAULTS);
    EXPECT_NE(restyled, before.style);
    EXPECT_EQ(*view_shape_get(k), before);
    EXPECT_FALSE(view_can_undo());
    EXPECT_FALSE(file_is_changed());
}

// A training card chosen in the help beside Object Properties waits for it: OK changes the
// object of the document the dialog was opened for, and the card's document opens afterwards,
// untouched.
TEST_F(DialogHold, ATrainingCardWaitsForObjectProperties) {
    open(make("card.vrn", {{"Alpha", ""}}));
    std::string during;
    wt::when_dialog("Object Properties [#1]", [&](HWND dlg) {
        PostMessageA(win_, WM_TCARD, HELP_TCARD_DATA, 105);
        wt::pump(300);
        during = file_current_name();
        SetDlgItemTextA(dlg, IDC_OBJ_ID, "Edited");
        press(dlg, IDOK);
    });
    ctrl_click({-300, 0});
    EXPECT_EQ(during, path("card.vrn"));
    wt::pump(300);
    ASSERT_EQ(file_lower(file_current_name()), file_lower(file_progdir_path("sample05.vrn")));
    ASSERT_EQ(Boxes::questions.size(), 1u);  // card.vrn has the edit: save it? No
    EXPECT_TRUE(has(Boxes::questions[0], "card.vrn")) << Boxes::questions[0];
    EXPECT_FALSE(file_is_changed());
    for (const Obj& o : view_doc().objs) EXPECT_NE(o.id, "Edited");
}

// ---- A modeless dialog follows its document.

// Print closes when another document opens under it: the choices made for the first never reach
// the second, and the first stays as it is on disk.
TEST_F(DialogHold, PrintClosesWhenItsDocumentIsReplaced) {
    const std::string a = make("a.vrn", {{"Alpha", ""}}), b = make("b.vrn", {{"Other", ""}, {"More", ""}});
    open(b);
    const std::string b_alone = saved_now();
    open(a);
    const std::string a_disk = file_bytes(a);
    command(CMD_PRINT);
    HWND print = dlg_find_modeless(IDD_PRINT);
    ASSERT_TRUE(print);
    press(print, IDC_PRINT_PORTRAIT);
    open_by_menu(b);
    EXPECT_FALSE(dlg_find_modeless(IDD_PRINT));
    EXPECT_FALSE(IsWindow(print));
    EXPECT_FALSE(file_is_changed());
    EXPECT_EQ(saved_now(), b_alone);
    EXPECT_EQ(file_bytes(a), a_disk);
}

// Questions reads the new document: Close then keeps the new document's own idea.
TEST_F(DialogHold, QuestionsReadsTheNewDocument) {
    const std::string a = make("a.vrn", {{"Alpha", ""}});
    const std::string b = make("b.vrn", {{"Other", ""}}, [](Document& d) { d.set_text_param(30, "banana"); });
    open(b);
    const std::string b_alone = saved_now();
    open(a);
    command(CMD_QUESTIONS);
    HWND quest = dlg_find_modeless(IDD_QUEST);
    ASSERT_TRUE(quest);
    SetDlgItemTextA(quest, IDC_QUEST_IDEA, "apple");
    SendMessageA(quest, WM_COMMAND, MAKEWPARAM(IDC_QUEST_IDEA, CBN_EDITCHANGE), 0);
    open_by_menu(b);
    ASSERT_TRUE(IsWindow(quest));
    EXPECT_EQ(wt::text_of(GetDlgItem(quest, IDC_QUEST_IDEA)), "banana");
    press(quest, IDCANCEL);
    EXPECT_FALSE(IsWindow(quest));
    EXPECT_FALSE(file_is_changed());
    EXPECT_EQ(saved_now(), b_alone);
}

// The Analyzer closes with its document, and an ID Prefix typed just before never reaches the
// new one. A refused "[" leaves nothing pending that stores it later.
TEST_F(DialogHold, AnalyzerClosesWithItsDocumentAndStoresNoRefusedPrefix) {
    const std::string a = make("a.vrn", {{"Alpha", "A text."}}), b = make("b.vrn", {{"Other", "Another."}});
    open(b);
    const std::string b_alone = saved_now();
    open(a);
    command(CMD_ANALYZER);
    HWND an = dlg_find_modeless(IDD_ANALYZE);
    ASSERT_TRUE(an);
    SetFocus(GetDlgItem(an, IDC_AN_PREFIX));
    wt::key('X');
    open_by_menu(b);
    EXPECT_FALSE(IsWindow(an));
    wt::pump(900);
    EXPECT_FALSE(file_is_changed());
    EXPECT_EQ(saved_now(), b_alone);

    // What it covered is painted again even when the document itself comes without a paint.
    command(CMD_ANALYZER);
    an = dlg_find_modeless(IDD_ANALYZE);
    ASSERT_TRUE(an);
    wt::pump(50);
    ValidateRect(view_inst_, nullptr);
    view_use_document(Document());
    EXPECT_FALSE(IsWindow(an));
    EXPECT_TRUE(GetUpdateRect(view_inst_, nullptr, FALSE));
    open(b);

    command(CMD_ANALYZER);
    an = dlg_find_modeless(IDD_ANALYZE);
    ASSERT_TRUE(an);
    SetFocus(GetDlgItem(an, IDC_AN_PREFIX));
    wt::key('X');
    wt::key(VK_OEM_4);  // [
    wt::pump(900);
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_EQ(Boxes::notes[0], "Cannot use '[' or ']' in Prefix");
    EXPECT_FALSE(file_is_changed());
    EXPECT_EQ(view_text_param_get(25), Document().text_param(25));
    DestroyWindow(an);
}

// Spell Check's Document scope starts afresh in a new document: the object of the same key that
// was checked in the first is checked in the second.
TEST_F(DialogHold, SpellCheckChecksTheNewDocumentsObjects) {
    const std::string a = make("a.vrn", {{"Notes", "Helo there"}}), b = make("b.vrn", {{"Other", "Teh end"}});
    open(a);
    command(CMD_SPELL_CHECK);
    HWND sp = dlg_find_modeless(IDD_SPELL_CHECK);
    ASSERT_TRUE(sp);
    press(sp, IDC_SPELL_DOCUMENT);
    press(sp, IDC_SPELL_START);
    EXPECT_EQ(wt::text_of(GetDlgItem(sp, IDC_SPELL_WORD)), "Helo");
    press(sp, IDC_SPELL_ALLOW);  // the object is done: nothing else to check
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_EQ(Boxes::notes[0], "Document completed");
    open_by_menu(b);
    ASSERT_TRUE(IsWindow(sp));
    press(sp, IDC_SPELL_START);
    EXPECT_EQ(wt::text_of(GetDlgItem(sp, IDC_SPELL_WORD)), "Teh");
    EXPECT_EQ(Boxes::notes.size(), 1u);
    press(sp, IDCANCEL);
}

// Find Objects lists the new document's objects once it is open.
TEST_F(DialogHold, FindObjectsListsTheNewDocument) {
    const std::string a = make("a.vrn", {{"Alpha", ""}}), b = make("b.vrn", {{"Other", ""}, {"More", ""}, {"Last", ""}});
    open(a);
    command(CMD_FIND_OBJECTS);
    HWND fo = dlg_find_modeless(IDD_FIND_OBJECTS);
    ASSERT_TRUE(fo);
    EXPECT_EQ(lv_item_count(GetDlgItem(fo, IDC_FO_LIST)), 1);
    open_by_menu(b);
    wt::pump(100);
    ASSERT_TRUE(IsWindow(fo));
    EXPECT_EQ(lv_item_count(GetDlgItem(fo, IDC_FO_LIST)), 3);
    press(fo, IDCANCEL);
}

// The Background dialog's choice shows on screen but is not the document's until OK: a save
// meanwhile writes what the document holds, and Cancel leaves file and screen alike.
TEST_F(DialogHold, BackgroundPreviewIsNeverSaved) {
    const std::string a = make("a.vrn", {{"Alpha", ""}}, [](Document& d) { d.set_param(7, 4); });
    open(a);
    view_obj_put([] {
        Obj o = *view_obj_get(1);
        o.x += 10;
        return o;
    }());  // an edit of the user's: Save has something to do
    command(CMD_BACKGROUND);
    HWND bg = dlg_find_modeless(IDD_BACKGROUND);
    ASSERT_TRUE(bg);
    pick(bg, IDC_BG_FILL, 2);  // Rect blend
    ASSERT_EQ(view_doc().shown_param(7), 2);
    command(CMD_SAVE);
    EXPECT_FALSE(file_is_changed());
    EXPECT_TRUE(has(file_bytes(a), "p_(7,4)")) << file_bytes(a);
    press(bg, IDCANCEL);
    EXPECT_EQ(view_doc().shown_param(7), 4);
    EXPECT_FALSE(file_is_changed());
}

}  // namespace
