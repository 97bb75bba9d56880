// The object and link dialogs, the settings dialogs and the Icon Browser, opened as a user opens
// them (Ctrl+click, pop-up and main-menu commands) and driven through their controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "bars/sbar.h"
#include "bars/toolbox.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "elements/elements_dlg_win.h"
#include "elements/icon.h"
#include "elements/link.h"
#include "elements/obj.h"
#include "resources/dlgs_ids.h"
#include "resources/ids.h"
#include "view/view_win.h"
#include "win/print_unix.h"
#include "win/win_test_util.h"

namespace {

using wt::Boxes;
using wt::pump;

// Runs `drive` on the first dialog whose title starts with `title`, from a timer of its loop.
std::function<void(HWND)> drive_;
std::string drive_title_;
int drives_ = 0;

BOOL CALLBACK find_dialog(HWND w, LPARAM lp) {
    char cls[16] = {}, title[128] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, title, sizeof title);
    if (std::string(cls) == "#32770" && IsWindowVisible(w) && std::string(title).rfind(drive_title_, 0) == 0) {
        *reinterpret_cast<HWND*>(lp) = w;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK drive_timer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_dialog, reinterpret_cast<LPARAM>(&dlg));
    if (!dlg || !drive_) return;
    KillTimer(nullptr, id);
    auto d = std::move(drive_);
    drive_ = nullptr;
    ++drives_;
    d(dlg);
}

void on_dialog(const char* title, std::function<void(HWND)> f) {
    drive_title_ = title;
    drive_ = std::move(f);
    SetTimer(nullptr, 0, 30, drive_timer);
}

std::string text(HWND dlg, int id) {
    char buf[512] = {};
    GetDlgItemTextA(dlg, id, buf, sizeof buf);
    return buf;
}
std::string title(HWND dlg) {
    char buf[128] = {};
    GetWindowTextA(dlg, buf, sizeof buf);
    return buf;
}
int sel(HWND dlg, int id) { return static_cast<int>(SendDlgItemMessageA(dlg, id, CB_GETCURSEL, 0, 0)); }
std::string sel_text(HWND dlg, int id) {
    char buf[128] = {};
    SendDlgItemMessageA(dlg, id, CB_GETLBTEXT, static_cast<WPARAM>(sel(dlg, id)), reinterpret_cast<LPARAM>(buf));
    return buf;
}
// Chooses an entry as the user does: the selection moves and the dialog hears of it.
void choose(HWND dlg, int id, int index) {
    SendDlgItemMessageA(dlg, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}
void choose_text(HWND dlg, int id, const char* t) {
    int i = static_cast<int>(SendDlgItemMessageA(dlg, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(t)));
    ASSERT_GE(i, 0) << t;
    choose(dlg, id, i);
}
void type(HWND dlg, int id, const char* t) { SetDlgItemTextA(dlg, id, t); }
void press(HWND dlg, int id) { SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }
bool checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }

class ElementsDialogs : public wt::MainWindowTest {
protected:
    ElementsDialogs() : MainWindowTest("vorn_elements_dialogs_test", SW_SHOWNOACTIVATE) {}
    void SetUp() override {
        MainWindowTest::SetUp();
        view_doc() = Document();
        view_undo_clear();
        marked_obj_.clear();
        marked_link_.clear();
        file_set_current_name((dir_ / "doc.vrn").string());
        sbar_set_origin(1, 0, 0);
        drive_ = nullptr;
        drives_ = 0;
    }
    void TearDown() override {
        drive_ = nullptr;
        MainWindowTest::TearDown();
    }
    Key add(const std::string& id, int x, int y, int shape = 161) {
        Obj o;
        o.id = id;
        o.level = 1;
        o.x = x;
        o.y = y;
        o.shape = shape;
        o.size = 15;
        o.colour = 4;
        return view_obj_put(o).value_or(0);
    }
    void paint() {
        view_invalidate();
        UpdateWindow(view_inst_);
        pump(30);
    }
    void ctrl_click(Pt lp) {
        paint();
        Pt d = view_mapping().to_device(lp);
        SendMessageA(view_inst_, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(d.x, d.y));
        SendMessageA(view_inst_, WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(d.x, d.y));
    }
    void command(int id) { SendMessageA(win_, WM_COMMAND, id, 0); }
    void shot(HWND dlg, const char* name) {
        wt::shot(dlg, name);
        if (GetEnvironmentVariableA("VORN_SHOT", nullptr, 0)) pump(8000);
    }
};

}  // namespace

TEST_F(ElementsDialogs, ObjectPropertiesFromCtrlClickIsOneUndoableStep) {
    Key k = add("Alpha", 0, 0);
    view_doc().obj(k)->flags = 0x0071;  // bits the dialog does not edit stay
    on_dialog("Object Properties", [&](HWND dlg) {
        EXPECT_EQ(title(dlg), "Object Properties [#" + std::to_string(k) + "]");
        EXPECT_EQ(text(dlg, IDC_OBJ_ID), "Alpha");
        EXPECT_EQ(sel_text(dlg, IDC_OBJ_SHAPE), "Box");
        EXPECT_EQ(sel_text(dlg, IDC_OBJ_LEVEL), "1");
        EXPECT_EQ(sel_text(dlg, IDC_OBJ_SIZE), "Normal 15");
        EXPECT_EQ(text(dlg, IDC_OBJ_X), "0");
        EXPECT_TRUE(checked(dlg, 10497));  // Center ID
        shot(dlg, "object_properties");
        type(dlg, IDC_OBJ_ID, "Renamed");
        type(dlg, IDC_OBJ_X, " 120 ");
        type(dlg, IDC_OBJ_Y, "-35");
        choose_text(dlg, IDC_OBJ_SHAPE, "Ellipse");
        choose_text(dlg, IDC_OBJ_SIZE, "E large 45");
        choose_text(dlg, IDC_OBJ_CLUSTER, "Right tree");
        choose(dlg, IDC_OBJ_COLOUR, 9);
        press(dlg, 10497);  // Center ID off
        press(dlg, IDOK);
    });
    ctrl_click({0, 0});
    ASSERT_EQ(drives_, 1);
    const Obj* o = view_doc().obj(k);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->id, "Renamed");
    EXPECT_EQ(o->x, 120);
    EXPECT_EQ(o->y, -35);
    EXPECT_EQ(o->shape, 162);
    EXPECT_EQ(o->size, 45);
    EXPECT_EQ(o->colour, 9);
    EXPECT_EQ(o->flags, 0x0871);
    EXPECT_EQ(view_obj_cluster(k), 3);
    EXPECT_TRUE(marked_obj_.empty());
    EXPECT_EQ(view_undo_name(), "Change Object");
    // One Undo takes everything back, the cluster with it; Redo brings it again.
    ASSERT_TRUE(view_undo());
    EXPECT_EQ(view_doc().obj(k)->id, "Alpha");
    EXPECT_EQ(view_doc().obj(k)->flags, 0x0071);
    EXPECT_EQ(view_obj_cluster(k), 0);
    EXPECT_FALSE(view_can_undo());
    ASSERT_TRUE(view_redo());
    EXPECT_EQ(view_doc().obj(k)->x, 120);
    EXPECT_EQ(view_obj_cluster(k), 3);
}

TEST_F(ElementsDialogs, ObjectPropertiesRefusesBadInputAndStaysOpen) {
    Key k = add("Beta", 0, 0);
    marked_obj_ = {k};
    on_dialog("Object Properties", [&](HWND dlg) {
        // Outside the range the moves keep too: -2147483648 and 3000000000 are whole numbers.
        struct { const char* x; const char* y; } bad[] = {{"1.5", "0"}, {"", "0"}, {"0", "4294967296"}, {"12a", "3"},
                                                          {"-2147483648", "0"}, {"3000000000", "0"}};
        for (auto b : bad) {
            Boxes::errors.clear();
            type(dlg, IDC_OBJ_X, b.x);
            type(dlg, IDC_OBJ_Y, b.y);
            press(dlg, IDOK);
            EXPECT_TRUE(IsWindow(dlg)) << b.x << " " << b.y;
            ASSERT_EQ(Boxes::errors.size(), 1u);
            EXPECT_EQ(Boxes::errors[0], "X and Y must be whole numbers from -2147483647 to 2147483647");
        }
        type(dlg, IDC_OBJ_X, "5");
        type(dlg, IDC_OBJ_Y, "5");
        struct { const char* entry; const char* error; } checks[] = {
            {"Picture", "Cannot change shape to embedded Picture"},
            {"Picture*", "Shape Extension cannot be empty"},
        };
        // The picture chooser that "Picture*" opens is answered with Cancel.
        auto old_browse = elements_dlg_hooks_.picture_browse;
        elements_dlg_hooks_.picture_browse = [](HWND, const std::string&, const std::string&, std::string*) { return false; };
        for (auto c : checks) {
            Boxes::errors.clear();
            choose_text(dlg, IDC_OBJ_SHAPE, c.entry);
            if (std::string(c.entry) == "Picture*") type(dlg, IDC_OBJ_SHAPE_EXT, "");
            press(dlg, IDOK);
            EXPECT_TRUE(IsWindow(dlg));
            ASSERT_FALSE(Boxes::errors.empty()) << c.entry;
            EXPECT_EQ(Boxes::errors.back(), c.error);
        }
        elements_dlg_hooks_.picture_browse = old_browse;
        choose_text(dlg, IDC_OBJ_SHAPE, "Box");
        choose_text(dlg, IDC_OBJ_ACTION, "Open File*");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_OBJ_ACTION_BROWSE)));
        Boxes::errors.clear();
        press(dlg, IDOK);
        ASSERT_EQ(Boxes::errors.size(), 1u);
        EXPECT_EQ(Boxes::errors[0], "Action Extension cannot be empty");
        // A cluster chosen before a refused OK is not stored either.
        choose_text(dlg, IDC_OBJ_CLUSTER, "Star");
        press(dlg, IDCANCEL);
    });
    command(10772);
    EXPECT_EQ(drives_, 1);
    EXPECT_EQ(view_doc().obj(k)->x, 0);
    EXPECT_EQ(view_obj_cluster(k), 0);
    EXPECT_FALSE(view_can_undo());
}

TEST_F(ElementsDialogs, ValuesNoListShowsSurviveOk) {
    Key k = add("Odd", 0, 0, 165);
    Obj& o = *view_doc().obj(k);
    o.level = -300;
    o.colour = 40;
    o.size = 600;
    o.action = 2;
    view_obj_set_cluster(k, 9);
    const Obj before = o;
    marked_obj_ = {k};
    on_dialog("Object Properties", [&](HWND dlg) {
        EXPECT_EQ(sel_text(dlg, IDC_OBJ_LEVEL), "-300");
        EXPECT_EQ(sel_text(dlg, IDC_OBJ_SHAPE), "Shape 165");
        EXPECT_EQ(sel_text(dlg, IDC_OBJ_SIZE), "600");
        EXPECT_EQ(sel_text(dlg, IDC_OBJ_COLOUR), "40");
        type(dlg, IDC_OBJ_ID, "Odd one");
        press(dlg, IDOK);
    });
    command(10772);
    const Obj& after = *view_doc().obj(k);
    EXPECT_EQ(after.id, "Odd one");
    EXPECT_EQ(after.level, before.level);
    EXPECT_EQ(after.colour, before.colour);
    EXPECT_EQ(after.size, before.size);
    EXPECT_EQ(after.shape, before.shape);
    EXPECT_EQ(after.action, before.action);
    EXPECT_EQ(view_obj_cluster(k), 9);
}

TEST_F(ElementsDialogs, HypertextMovesIntoAFileAndIntoRichText) {
    Key k = add("Notes", 0, 0);
    view_doc().obj(k)->ext = "first\r\nsecond";
    std::string file = (dir_ / "notes.txt").string();
    marked_obj_ = {k};
    on_dialog("Object Properties", [&](HWND dlg) {
        EXPECT_EQ(text(dlg, IDC_OBJ_ACTION_EXT), "");  // hypertext is not an extension
        choose_text(dlg, IDC_OBJ_ACTION, "Open TextFile*");
        type(dlg, IDC_OBJ_ACTION_EXT, file.c_str());
        press(dlg, IDOK);
    });
    command(10772);
    EXPECT_EQ(view_doc().obj(k)->action, 1);
    EXPECT_EQ(file_lower(view_doc().obj(k)->ext), file_lower(file));
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), "first\r\nsecond");

    Key r = add("Rich", 0, 500);
    view_doc().obj(r)->ext = "a {b} \\c";
    marked_obj_ = {r};
    on_dialog("Object Properties", [&](HWND dlg) {
        choose_text(dlg, IDC_OBJ_ACTION, "Open RichText");
        press(dlg, IDOK);
    });
    command(10772);
    EXPECT_EQ(view_doc().obj(r)->action, 42);
    EXPECT_NE(view_doc().obj(r)->ext.find("a \\{b\\} \\\\c"), std::string::npos) << view_doc().obj(r)->ext;
    // Back to hypertext: the rich text's plain text.
    on_dialog("Object Properties", [&](HWND dlg) {
        choose_text(dlg, IDC_OBJ_ACTION, "Open Hypertext");
        press(dlg, IDOK);
    });
    marked_obj_ = {r};
    command(10772);
    EXPECT_EQ(view_doc().obj(r)->action, 0);
    EXPECT_EQ(view_doc().obj(r)->ext, "a {b} \\c");

    // Typing over a stored extension asks first; No keeps the dialog and the record.
    Key f = add("File", 0, -500);
    view_doc().obj(f)->action = 6;
    view_doc().obj(f)->ext = "old.vrn";
    marked_obj_ = {f};
    on_dialog("Object Properties", [&](HWND dlg) {
        EXPECT_EQ(text(dlg, IDC_OBJ_ACTION_EXT), "old.vrn");
        type(dlg, IDC_OBJ_ACTION_EXT, "new.vrn");
        Boxes::answer = 2;
        press(dlg, IDOK);
        EXPECT_TRUE(IsWindow(dlg));
        ASSERT_EQ(Boxes::questions.size(), 1u);
        EXPECT_EQ(Boxes::questions[0], "Contents Changed: old.vrn... to be changed?");
        Boxes::answer = 1;
        press(dlg, IDOK);
    });
    command(10772);
    EXPECT_EQ(view_doc().obj(f)->ext, "new.vrn");
}

TEST_F(ElementsDialogs, SetAsDefaultPropertiesGivesNewObjectsTheLook) {
    Key k = add("Model", 0, 0);
    marked_obj_ = {k};
    on_dialog("Object Properties", [&](HWND dlg) {
        choose_text(dlg, IDC_OBJ_ACTION, "Zoom In");
        choose_text(dlg, IDC_OBJ_SIZE, "Large 25");
        // "Icon..." opens the Icon Browser; the icon inserted there becomes the shape.
        on_dialog("Icon", [](HWND icons) {
            SendDlgItemMessageA(icons, IDC_ICON_GRID, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 66));
            press(icons, IDOK);
        });
        choose_text(dlg, IDC_OBJ_SHAPE, "Icon...");
        press(dlg, IDC_OBJ_DEFAULT);
        press(dlg, IDOK);
    });
    command(10772);
    EXPECT_EQ(drives_, 2);
    EXPECT_EQ(view_doc().obj(k)->shape, 203);
    ObjDefaults d = obj_defaults_get();
    EXPECT_EQ(d.text, "Model");
    EXPECT_EQ(d.action, 17);
    EXPECT_EQ(d.size, 25);
    obj_defaults_set("Idea", 0, 15, 1);
}

TEST_F(ElementsDialogs, LinkPropertiesReattachesReversesAndRefusesDuplicates) {
    Key a = add("A", 0, 0), b = add("B", 1200, 0), c = add("C", 0, -900);
    Link l;
    l.from = a;
    l.to = b;
    l.label = "causes";
    l.end_positions = 52 * 256;  // an end code the list does not have
    view_link_add(l);
    Link l2;
    l2.from = a;
    l2.to = c;
    view_link_add(l2);
    on_dialog("Link Properties", [&](HWND dlg) {
        EXPECT_EQ(text(dlg, IDC_LINK_LABEL), "causes");
        EXPECT_EQ(sel_text(dlg, IDC_LINK_POS), "Above");
        EXPECT_EQ(sel_text(dlg, IDC_LINK_TO_END), "52");
        shot(dlg, "link_properties");
        // To = C: there is already a link A -> C.
        int to_c = static_cast<int>(SendDlgItemMessageA(dlg, IDC_LINK_TO, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                                        reinterpret_cast<LPARAM>("C   ")));
        choose(dlg, IDC_LINK_TO, to_c);
        press(dlg, IDOK);
        EXPECT_TRUE(IsWindow(dlg));
        ASSERT_EQ(Boxes::notes.size(), 1u);
        EXPECT_EQ(Boxes::notes[0], "A link from A to C already exists");
        // From = To.
        int to_a = static_cast<int>(SendDlgItemMessageA(dlg, IDC_LINK_TO, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                                        reinterpret_cast<LPARAM>("A   ")));
        int from_b = static_cast<int>(SendDlgItemMessageA(dlg, IDC_LINK_FROM, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                                          reinterpret_cast<LPARAM>("B   ")));
        choose(dlg, IDC_LINK_TO, to_a);
        press(dlg, IDOK);
        EXPECT_TRUE(IsWindow(dlg));
        ASSERT_EQ(Boxes::notes.size(), 2u);
        // Swapped: the link is reversed.
        choose(dlg, IDC_LINK_FROM, from_b);
        choose_text(dlg, IDC_LINK_POS, "Center");
        choose_text(dlg, IDC_LINK_ROUTE, "~    Arc");
        choose(dlg, IDC_LINK_TAIL_KIND, 2);
        press(dlg, IDC_LINK_TAIL0 + 2);
        press(dlg, IDC_LINK_TILT);
        press(dlg, IDOK);
    });
    ctrl_click({600, 0});
    ASSERT_EQ(drives_, 1);
    EXPECT_FALSE(view_link_get(a, b).has_value());
    auto r = view_link_get(b, a);
    ASSERT_TRUE(r.has_value());
    LinkLook k = link_unpack(*r);
    EXPECT_EQ(r->label, "causes");
    EXPECT_EQ(k.label_pos, 46);
    EXPECT_EQ(k.route, kRouteArc);
    EXPECT_EQ(k.tail_kind, 2);
    EXPECT_EQ(k.tail_count, 2);
    EXPECT_TRUE(k.tilt);
    EXPECT_EQ(k.to_end, 52);  // untouched, kept
    EXPECT_EQ(view_doc().links.size(), 2u);
    EXPECT_EQ(view_undo_name(), "Change Link");
    ASSERT_TRUE(view_undo());
    EXPECT_TRUE(view_link_get(a, b).has_value());
    EXPECT_FALSE(view_link_get(b, a).has_value());

    // From the link's pop-up menu; Cancel changes nothing and leaves nothing marked.
    const Link before = *view_link_get(a, c);
    marked_link_ = {{a, c}};
    on_dialog("Link Properties", [&](HWND dlg) {
        choose_text(dlg, IDC_LINK_STYLE, "Dot");
        press(dlg, IDCANCEL);
    });
    command(10794);
    EXPECT_EQ(drives_, 2);
    EXPECT_EQ(*view_link_get(a, c), before);
    EXPECT_TRUE(marked_link_.empty());
}

TEST_F(ElementsDialogs, LinkDefaultsFromTheMenu) {
    on_dialog("Link Defaults", [&](HWND dlg) {
        EXPECT_FALSE(checked(dlg, IDC_LDEF_TILT));  // setting 74 defaults to 1
        shot(dlg, "link_defaults");
        press(dlg, IDC_LDEF_TILT);
        press(dlg, IDC_LDEF_OPAQUE);
        press(dlg, IDOK);
    });
    command(CMD_LINK_DEFAULTS);
    EXPECT_EQ(drives_, 1);
    EXPECT_EQ(view_param_get(74), 0);
    EXPECT_EQ(view_param_get(73), 1);
    ASSERT_TRUE(view_undo());
    EXPECT_EQ(view_param_get(74), 1);
}

TEST_F(ElementsDialogs, ObjectDefaultsApplyAtOnceAndCancelPutsBack) {
    view_param_set(97, 2);
    view_param_set(225, 10);
    on_dialog("Object Defaults", [&](HWND dlg) {
        EXPECT_EQ(sel_text(dlg, IDC_ODEF_BAR), "Variable");
        EXPECT_EQ(sel_text(dlg, IDC_ODEF_SYMBOL), "50");
        shot(dlg, "object_defaults");
        choose_text(dlg, IDC_ODEF_SYMBOL, "25");
        EXPECT_EQ(view_param_get(225), 5);  // at once
        press(dlg, IDC_ODEF_BLACK_ID);
        EXPECT_EQ(view_param_get(76), 1);
        press(dlg, IDCANCEL);
    });
    command(CMD_OBJECT_DEFAULTS);
    EXPECT_EQ(view_param_get(225), 10);
    EXPECT_EQ(view_param_get(76), 0);
    on_dialog("Object Defaults", [&](HWND dlg) { press(dlg, IDOK); });
    command(CMD_OBJECT_DEFAULTS);
    EXPECT_EQ(view_param_get(97), 0);  // "Variable" stores 0 on OK
    EXPECT_EQ(view_param_get(225), 10);
}

// The live changes leave no step after Cancel, and one step after OK.
TEST_F(ElementsDialogs, ObjectDefaultsLeaveOneStepOrNone) {
    view_param_set(225, 10);
    view_param_set_undoable(363, 2);  // an earlier step Undo must reach next
    auto change = [&](int button) {
        on_dialog("Object Defaults", [&](HWND dlg) {
            choose_text(dlg, IDC_ODEF_SYMBOL, "25");
            choose_text(dlg, IDC_ODEF_SYMBOL, "100");
            press(dlg, IDC_ODEF_BLACK_ID);
            press(dlg, button);
        });
        command(CMD_OBJECT_DEFAULTS);
    };
    change(IDCANCEL);
    EXPECT_EQ(view_param_get(225), 10);
    EXPECT_FALSE(view_can_redo());
    ASSERT_TRUE(view_undo());
    EXPECT_EQ(view_param_get(363), 0);
    EXPECT_EQ(view_param_get(225), 10);  // not the cancelled "25"
    EXPECT_EQ(view_param_get(76), 0);
    EXPECT_FALSE(view_can_undo());

    change(IDOK);
    EXPECT_EQ(view_param_get(225), 20);
    EXPECT_EQ(view_param_get(76), 1);
    ASSERT_TRUE(view_undo());
    EXPECT_EQ(view_param_get(225), 10);
    EXPECT_EQ(view_param_get(76), 0);
    EXPECT_FALSE(view_can_undo());
}

TEST_F(ElementsDialogs, ClusterAndSequenceSettings) {
    on_dialog("Cluster Settings", [&](HWND dlg) {
        EXPECT_EQ(sel_text(dlg, IDC_CLU_VERT), "100");
        EXPECT_EQ(sel_text(dlg, IDC_CLU_HORZ), "300");
        shot(dlg, "cluster_settings");
        choose_text(dlg, IDC_CLU_VERT, "0");
        press(dlg, IDOK);
    });
    command(CMD_CLUSTER_SETTINGS);
    EXPECT_EQ(view_param_get(213), -20);

    Key k = add("A rather long object ID", 0, 0);
    add("Second", 300, 0);
    on_dialog("Sequence Settings", [&](HWND dlg) {
        EXPECT_EQ(sel_text(dlg, IDC_SEQ_START), "(Undefined)");
        EXPECT_EQ(sel_text(dlg, IDC_SEQ_MIN_DIST), "300");
        shot(dlg, "sequence_settings");
        press(dlg, IDC_SEQ_ANTI);
        press(dlg, IDOK);
        EXPECT_TRUE(IsWindow(dlg));
        ASSERT_EQ(Boxes::notes.size(), 1u);
        EXPECT_EQ(view_param_get(110), 0);
        const int was = menu_checked(CMD_SEQ_SHOW);
        press(dlg, IDC_SEQ_TEST);
        EXPECT_EQ(menu_checked(CMD_SEQ_SHOW), was);
        choose(dlg, IDC_SEQ_START, 1);
        choose_text(dlg, IDC_SEQ_MIN_DIST, "0");
        press(dlg, IDOK);
    });
    command(CMD_SEQUENCE_SETTINGS);
    EXPECT_EQ(view_param_get(216), k);
    EXPECT_EQ(view_param_get(110), 1);
    EXPECT_EQ(view_param_get(317), -6);
}

TEST_F(ElementsDialogs, IconBrowserPicksFiltersAndManagesUserIcons) {
    icon_current_set(201);
    on_dialog("Icon", [&](HWND dlg) {
        EXPECT_EQ(text(dlg, IDC_ICON_TOTAL), "Total: 128");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_ICON_PAGE2)));
        press(dlg, IDC_ICON_CAT0 + 4);  // People
        EXPECT_EQ(text(dlg, IDC_ICON_TOTAL), "Total: 26");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_ICON_PAGE2)));
        press(dlg, IDC_ICON_RESET);
        EXPECT_EQ(text(dlg, IDC_ICON_TOTAL), "Total: 128");
        // The second cell of the first column: the catalogue's second icon.
        SendDlgItemMessageA(dlg, IDC_ICON_GRID, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 40));
        EXPECT_EQ(icon_current_get(), 202);
        press(dlg, IDC_ICON_ADVANCED);
        shot(dlg, "icon_browser");
        press(dlg, IDC_ICON_EDIT);
        ASSERT_EQ(Boxes::errors.size(), 1u);
        EXPECT_EQ(Boxes::errors[0], "Not a User Defined Icon");
        press(dlg, IDOK);
    });
    command(CMD_INSERT_ICON);
    EXPECT_EQ(drives_, 1);
    EXPECT_EQ(icon_current_get(), 202);

    // Create from the clipboard, then Cancel: the icon current before comes back.
    std::string file = file_progdir_path("icon1001.bmp");
    DeleteFileA(file.c_str());
    const int n = 40;
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + n * n * 4);
    auto* h = static_cast<BITMAPINFOHEADER*>(GlobalLock(g));
    *h = {sizeof(BITMAPINFOHEADER), n, n, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    auto* px = reinterpret_cast<uint32_t*>(h + 1);
    for (int i = 0; i < n * n; ++i) px[i] = 0x00FF0000;  // red
    GlobalUnlock(g);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_DIB, g);
    CloseClipboard();
    Boxes::answer = 1;
    on_dialog("Icon", [&](HWND dlg) {
        press(dlg, IDC_ICON_CREATE);
        EXPECT_EQ(title(dlg), "Icon in Clipboard");
        EXPECT_EQ(text(dlg, IDC_ICON_TOTAL), "Total: 1");
        EXPECT_TRUE(checked(dlg, IDC_ICON_CAT0 + 6));
        SendDlgItemMessageA(dlg, IDC_ICON_GRID, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        EXPECT_EQ(icon_current_get(), 1001);
        // No paint program here: the user is told so.
        press(dlg, IDC_ICON_EDIT);
        ASSERT_FALSE(Boxes::errors.empty());
        EXPECT_EQ(Boxes::errors.back(), "No bitmap editor could be started for " + file);
        press(dlg, IDC_ICON_DELETE);
        press(dlg, IDCANCEL);
    });
    command(CMD_INSERT_ICON);
    EXPECT_EQ(drives_, 2);
    EXPECT_EQ(icon_current_get(), 202);
    EXPECT_FALSE(file_exists(file));
    ASSERT_GE(Boxes::questions.size(), 2u);
    EXPECT_EQ(Boxes::questions[0], "Create Icon: Create new icon as icon1001.bmp?");
    EXPECT_EQ(Boxes::questions[1], "Delete Icon: Delete icon1001.bmp?");
    ASSERT_FALSE(Boxes::notes.empty());
    EXPECT_EQ(Boxes::notes[0], file + " created successfully");
    // The filter is kept between openings; put it back.
    on_dialog("Icon", [&](HWND dlg) {
        press(dlg, IDC_ICON_RESET);
        press(dlg, IDCANCEL);
    });
    command(CMD_INSERT_ICON);
}

// A deleted user icon is current no more: Insert cannot make it the object tool, and should it
// have been the icon current before, the first icon takes its place.
TEST_F(ElementsDialogs, DeletedUserIconCannotBeInserted) {
    std::string file = file_progdir_path("icon1001.bmp");
    {
        wt::MemBitmap bm(28, 28, 0, 0);
        bm.save(file);
    }
    icon_current_set(1001);
    Boxes::answer = 1;
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    on_dialog("Icon", [&](HWND dlg) {
        press(dlg, IDC_ICON_CAT0 + 6);  // User Defined
        SendDlgItemMessageA(dlg, IDC_ICON_GRID, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        EXPECT_EQ(icon_current_get(), 1001);
        press(dlg, IDC_ICON_DELETE);
        EXPECT_FALSE(icon_current_get());
        UpdateWindow(dlg);
        pump(50);
        EXPECT_EQ(title(dlg), "Icon Browser") << "the deleted file is named no more";
        // Its cell is gone from the grid: a click there picks nothing.
        EXPECT_EQ(text(dlg, IDC_ICON_TOTAL), "Total: 0");
        SendDlgItemMessageA(dlg, IDC_ICON_GRID, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        EXPECT_FALSE(icon_current_get());
        press(dlg, IDC_ICON_RESET);  // the filter is kept between openings
        press(dlg, IDOK);
    });
    command(CMD_INSERT_ICON);
    EXPECT_EQ(drives_, 1);
    EXPECT_FALSE(file_exists(file));
    EXPECT_EQ(icon_current_get(), kInitialIcon);
    EXPECT_NE(toolbox_current(4), 1001);
    EXPECT_TRUE(Boxes::errors.empty());
}

// The browser shows every user icon file the objects paint (a large photo-sized bitmap made by
// ImageMagick too), and Create and Random each answer a mnemonic of their own.
TEST_F(ElementsDialogs, IconBrowserTakesWhatObjectsPaintAndReachesCreateByItsKey) {
    if (!wt::unix_tool("convert")) GTEST_SKIP() << "ImageMagick is not installed";
    wt::HostDir host("vorn-icon-browser");
    ASSERT_TRUE(host.run("convert -size 3000x2000 xc:'#c02020' -type TrueColor BMP3:big.bmp"));
    const std::string file = file_progdir_path("icon1001.bmp");
    ASSERT_TRUE(CopyFileA(host.dos("big.bmp").c_str(), file.c_str(), FALSE));
    struct Remove {
        std::string f;
        ~Remove() { DeleteFileA(f.c_str()); }
    } remove{file};
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    icon_current_set(201);
    on_dialog("Icon", [&](HWND dlg) {
        press(dlg, IDC_ICON_CAT0 + 6);  // User Defined
        EXPECT_EQ(text(dlg, IDC_ICON_TOTAL), "Total: 1");
        SendDlgItemMessageA(dlg, IDC_ICON_GRID, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        pump(100);
        EXPECT_EQ(title(dlg), "Icon - " + file);
        EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors[0];
        press(dlg, IDC_ICON_ADVANCED);
        // Alt+T: Create, which asks for a picture on the clipboard first.
        SetFocus(GetDlgItem(dlg, IDOK));
        MSG alt_t{GetFocus(), WM_SYSCHAR, 't', 0x20000001, GetTickCount(), {}};
        EXPECT_TRUE(IsDialogMessageA(dlg, &alt_t));
        pump(50);
        EXPECT_EQ(Boxes::notes, std::vector<std::string>{"First Copy a small bitmap to the Windows Clipboard"});
        press(dlg, IDC_ICON_RESET);
        press(dlg, IDCANCEL);
    });
    command(CMD_INSERT_ICON);
    EXPECT_EQ(drives_, 1);
    EXPECT_EQ(icon_current_get(), 201);
}
