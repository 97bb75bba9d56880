// The diagram inside the real main window: Esc through the accelerator table, clicks on an
// object's rim, the pop-up menus' commands and the level commands, each through the messages a
// user's keys, clicks and menus send.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/vorn6_win.h"
#include "bars/sbar.h"
#include "bars/status.h"
#include "bars/tbar.h"
#include "bars/toolbox.h"
#include "base/settings.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/palette.h"
#include "base/tip_win.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "elements/link.h"
#include "elements/obj.h"
#include "elements/textbox.h"
#include "resources/diag_ids.h"
#include "resources/ids.h"
#include "view/textbox_win.h"
#include "view/view_cmd.h"
#include "view/view_win.h"
#include "win/win_test_util.h"

namespace {

using wt::Boxes;
using wt::pump;

void CALLBACK close_menu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();
}

class ViewMenu : public wt::MainWindowTest {
protected:
    ViewMenu() : MainWindowTest("vorn_view_menu_test", SW_SHOWNORMAL) {}
    void SetUp() override {
        MainWindowTest::SetUp();
        sbar_set_origin(1, 0, 0);
        sbar_cmd(kSbarZoom, kSbSet, 100);
        view_doc().set_param(1, 15);
        view_undo_clear();
    }
    void TearDown() override {
        textbox_close();
        marked_obj_.clear();
        marked_link_.clear();
        marked_shape_.clear();
        popup_menu_inst_.reset();
        MainWindowTest::TearDown();
    }
    Key add(const char* id, int x, int y, int level = 1) {
        Obj o = view_obj_new(id, x, y, level);
        o.shape = 161;
        Key k = view_obj_put(o).value_or(0);
        paint();
        return k;
    }
    void paint() {
        InvalidateRect(view_inst_, nullptr, FALSE);
        UpdateWindow(view_inst_);
    }
    Rc box(Key k) {
        for (const auto& b : view_painted_objects())
            if (b.key == k) return b.rect;
        ADD_FAILURE() << "object " << k << " not painted";
        return {};
    }
    Pt dev(Pt lp) { return view_mapping().to_device(lp); }
    Pt centre(Key k) {
        Rc r = box(k);
        return dev({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    // A drag from the left rim of `from` onto `to`, as a user draws a link.
    void drag_link(Key from, Key to) {
        Rc r = box(from);
        Pt rim = dev({r.left + 2, r.top - (r.top - r.bottom) / 4}), target = centre(to);
        mouse(WM_LBUTTONDOWN, rim, MK_LBUTTON);
        mouse(WM_MOUSEMOVE, {rim.x + 20, rim.y}, MK_LBUTTON);
        mouse(WM_MOUSEMOVE, target, MK_LBUTTON);
        mouse(WM_LBUTTONUP, target, 0);
    }
    void mouse(UINT msg, Pt d, WPARAM keys) { SendMessageA(view_inst_, msg, keys, MAKELPARAM(d.x, d.y)); }
    // A key pressed while `target` should have the focus.
    void key(HWND target, UINT vk) {
        EXPECT_EQ(GetFocus(), target) << "the key would go elsewhere";
        wt::key(vk);
    }
    void command(int id) { SendMessageA(win_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    // A pop-up item chosen after a right click on device point d.
    void popup(Pt d, int id) {
        SetTimer(nullptr, 0, 50, close_menu);
        mouse(WM_RBUTTONUP, d, 0);
        ASSERT_TRUE(popup_menu_inst_.has_value());
        command(id);
        paint();
    }
};

}  // namespace

TEST_F(ViewMenu, EscClosesTheTextBoxCancelsADragAndUnmarks) {
    Key a = add("Alpha", 0, 0);
    Rc r = box(a);
    Pt centre = dev({(r.left + r.right) / 2, (r.top + r.bottom) / 2});

    // A drag under way goes back where it started, leaving no step.
    mouse(WM_LBUTTONDOWN, centre, MK_LBUTTON);
    mouse(WM_MOUSEMOVE, {centre.x + 60, centre.y + 40}, MK_LBUTTON);
    ASSERT_NE(view_doc().obj(a)->x, 0);
    key(view_inst_, VK_ESCAPE);
    EXPECT_FALSE(view_mouse_dragging());
    EXPECT_EQ(view_doc().obj(a)->x, 0);
    EXPECT_EQ(view_doc().obj(a)->y, 0);
    EXPECT_TRUE(marked_obj_.empty());
    EXPECT_FALSE(view_can_undo());
    mouse(WM_LBUTTONUP, {centre.x + 60, centre.y + 40}, 0);
    EXPECT_EQ(view_doc().obj(a)->x, 0);

    // A new object's box: Esc in the box closes it and the unnamed object goes, with no Redo.
    SendMessageA(view_inst_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(80, 80));
    ASSERT_NE(textbox_inst_.win, nullptr);
    Key made = textbox_inst_.k1;
    HWND edit = GetDlgItem(textbox_inst_.win, kTextboxEditId);
    key(edit, VK_ESCAPE);
    EXPECT_EQ(textbox_inst_.win, nullptr);
    EXPECT_FALSE(view_doc().obj(made));
    EXPECT_FALSE(view_can_redo());

    // Renaming an existing object: Esc keeps its name.
    view_open_textbox(1, a, 0, false);
    SetWindowTextA(GetDlgItem(textbox_inst_.win, kTextboxEditId), "Typed");
    key(GetDlgItem(textbox_inst_.win, kTextboxEditId), VK_ESCAPE);
    EXPECT_EQ(textbox_inst_.win, nullptr);
    EXPECT_EQ(view_doc().obj(a)->id, "Alpha");
}

TEST_F(ViewMenu, DroppedNewObjectLeavesNothingToRedo) {
    SendMessageA(view_inst_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 100));
    ASSERT_NE(textbox_inst_.win, nullptr);
    Key made = textbox_inst_.k1;
    SendMessageA(textbox_inst_.win, WM_TIMER, kTextboxTimer, 0);  // the close timer, text untouched
    EXPECT_FALSE(view_doc().obj(made));
    EXPECT_FALSE(view_can_redo());
    EXPECT_FALSE(view_can_undo());
    EXPECT_FALSE(create_obj_later_.has_value()) << "the next object could never be placed";
}

TEST_F(ViewMenu, ClickOnTheRimMarksAndOnlyADragFromItLinks) {
    Key a = add("Alpha", -300, 0), b = add("Beta", 300, 0);
    Rc ra = box(a), rb = box(b);
    // On the left edge between the handles.
    Pt rim = dev({ra.left + 2, ra.top - (ra.top - ra.bottom) / 4});
    mouse(WM_LBUTTONDOWN, rim, MK_LBUTTON);
    mouse(WM_LBUTTONUP, rim, 0);
    EXPECT_EQ(marked_obj_, std::vector<Key>{a});
    EXPECT_TRUE(view_doc().links.empty());

    Pt target = dev({(rb.left + rb.right) / 2, (rb.top + rb.bottom) / 2});
    mouse(WM_LBUTTONDOWN, rim, MK_LBUTTON);
    mouse(WM_MOUSEMOVE, {(rim.x + target.x) / 2, rim.y}, MK_LBUTTON);
    mouse(WM_MOUSEMOVE, target, MK_LBUTTON);
    mouse(WM_LBUTTONUP, target, 0);
    ASSERT_EQ(view_doc().links.size(), 1u);
    EXPECT_EQ(view_doc().links[0].from, a);
    EXPECT_EQ(view_doc().obj(a)->x, -300);  // linking moves nothing
}

TEST_F(ViewMenu, PopupCommandsActOnTheClickedItem) {
    Key a = add("Alpha", -300, 0), b = add("Beta", 300, 0);
    Rc ra = box(a);
    Pt on_a = dev({(ra.left + ra.right) / 2, (ra.top + ra.bottom) / 2});
    tbar_set_current_color(9);

    const int b_colour = view_doc().obj(b)->colour;
    popup(on_a, 10774);  // Re-color Object
    EXPECT_EQ(view_doc().obj(a)->colour, 9);
    EXPECT_EQ(view_doc().obj(b)->colour, b_colour);
    popup(on_a, 10780);  // Down 1 Level
    EXPECT_EQ(view_doc().obj(a)->level, 2);
    EXPECT_EQ(view_undo_name(), "Lev Down/Up");
    view_undo();
    paint();
    popup(on_a, 10775);  // Centralize Object
    EXPECT_NEAR(view_mapping().to_device({-300, 0}).x, view_mapping().client_w / 2, 1);
    paint();
    ra = box(a);
    on_a = dev({(ra.left + ra.right) / 2, (ra.top + ra.bottom) / 2});
    popup(on_a, 10773);  // Rename ID
    ASSERT_NE(textbox_inst_.win, nullptr);
    EXPECT_EQ(textbox_inst_.k1, a);
    textbox_close();
    popup(on_a, 10779);  // Delete
    EXPECT_FALSE(view_doc().obj(a));
    EXPECT_FALSE(popup_menu_inst_.has_value());

    // Every command of the link menu has its operation.
    HMENU m = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_POP_LINK));
    HMENU sub = GetSubMenu(m, 0);
    popup_menu_inst_ = PopupSource{1, 2};
    SendMessageA(win_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), 0);
    for (int id = 10795; id <= 10802; ++id) EXPECT_FALSE(GetMenuState(sub, id, MF_BYCOMMAND) & MF_GRAYED) << id;
    DestroyMenu(m);
}

TEST_F(ViewMenu, LevelCommandsClearAndNumber) {
    Key a = add("Alpha", 0, 0);
    add("Beta", 200, 0);
    Rc before = box(a);

    // Seq# Show/Hide numbers the objects and widens their boxes by the number.
    command(CMD_SEQ_SHOW);
    paint();
    EXPECT_TRUE(menu_checked(CMD_SEQ_SHOW));
    EXPECT_EQ(view_doc().seq.size(), 2u);
    EXPECT_GT(box(a).right - box(a).left, before.right - before.left);
    command(CMD_SEQ_SHOW);
    paint();
    EXPECT_FALSE(menu_checked(CMD_SEQ_SHOW));
    EXPECT_EQ(box(a).right - box(a).left, before.right - before.left);

    // Clear... asks first; No keeps everything.
    Boxes::answer = 2;
    command(CMD_CLEAR_LEVEL);
    EXPECT_EQ(view_doc().objs.size(), 2u);
    Boxes::answer = 1;
    command(CMD_CLEAR_LEVEL);
    EXPECT_TRUE(view_doc().objs.empty());
    EXPECT_EQ(view_undo_name(), "Clear Level");
    EXPECT_EQ(Boxes::questions.size(), 2u);
}

namespace {

// A sum over the pixels of a window rectangle: tells whether what is shown there changed.
uint64_t look(HWND win, const RECT& r) {
    UpdateWindow(win);
    HDC dc = GetDC(win);
    uint64_t sum = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) sum = sum * 31 + GetPixel(dc, x, y);
    ReleaseDC(win, dc);
    return sum;
}

RECT button_rect(int command) {
    const auto& shown = tbar_model().shown();
    for (int pos = 0; pos < static_cast<int>(shown.size()); ++pos)
        if (tbar_button(shown[pos])->command == command) {
            Rc r = TbarModel::button_rect(pos, false);
            return {r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
        }
    ADD_FAILURE() << "no button for " << command;
    return {};
}

void put_text_on_clipboard(const char* text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    if (text) {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
        memcpy(GlobalLock(h), text, strlen(text) + 1);
        GlobalUnlock(h);
        SetClipboardData(CF_TEXT, h);
    }
    CloseClipboard();
}

std::string level_answer;
void CALLBACK answer_level(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = FindWindowA(nullptr, "Level");
    if (!dlg) return;
    KillTimer(nullptr, id);
    SetDlgItemTextA(dlg, IDC_LEVEL_EDIT, level_answer.c_str());
    SendMessageA(dlg, WM_COMMAND, IDOK, 0);
}

}  // namespace

TEST_F(ViewMenu, ToolbarButtonsFollowMarksEditsAndTheClipboard) {
    Key a = add("Alpha", 0, 0);
    RECT cut = button_rect(CMD_CUT), paste = button_rect(CMD_PASTE);
    put_text_on_clipboard(nullptr);
    pump(50);
    uint64_t cut_off = look(tbar_inst_, cut), paste_off = look(tbar_inst_, paste);
    Rc r = box(a);
    Pt centre = dev({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    mouse(WM_LBUTTONDOWN, centre, MK_LBUTTON);
    mouse(WM_LBUTTONUP, centre, 0);
    EXPECT_NE(look(tbar_inst_, cut), cut_off) << "Cut follows the mark";
    key(view_inst_, VK_ESCAPE);
    EXPECT_EQ(look(tbar_inst_, cut), cut_off);
    put_text_on_clipboard("from another program");
    pump(50);
    EXPECT_NE(look(tbar_inst_, paste), paste_off) << "Paste follows the clipboard";
}

TEST_F(ViewMenu, StatusFieldsOpenLevelAndFindObjects) {
    add("Alpha", 0, 0);
    add("Deep", 0, 0, 3);
    RECT c;
    GetClientRect(status_inst_, &c);
    Rc level = status_model().field_rect(kStLevel, c.right);
    level_answer = "3";
    SetTimer(nullptr, 0, 30, answer_level);
    wt::click(status_inst_, (level.left + level.right) / 2, (level.top + level.bottom) / 2);
    EXPECT_EQ(sbar_view_state().level, 3);
    Rc counts = status_model().field_rect(kStCounts, c.right);
    wt::click(status_inst_, (counts.left + counts.right) / 2, (counts.top + counts.bottom) / 2);
    pump(20);
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors[0];
    HWND find = dlg_find_modeless(10342);  // Find Objects
    ASSERT_TRUE(find);
    DestroyWindow(find);
}

TEST_F(ViewMenu, ToolboxGrabberMovesItAndTheResizedWindowKeepsItInView) {
    command(CMD_TOOLBOX);
    pump(30);
    ASSERT_NE(toolbox_inst_, nullptr);
    int grab = -1;
    for (const auto& row : toolbox_model().rows())
        if (row.group == kTgControl && row.code == 18) grab = row.pos;
    ASSERT_GE(grab, 0);
    RECT before = wt::rect_in(toolbox_inst_, view_inst_);
    Pt g = toolbox_cell_origin(grab, 1, false);
    POINT s{g.x + 6, g.y + 6};
    ClientToScreen(toolbox_inst_, &s);
    SetCursorPos(s.x, s.y);
    SendMessageA(toolbox_inst_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(g.x + 6, g.y + 6));
    SetCursorPos(s.x + 40, s.y + 30);
    SendMessageA(toolbox_inst_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(g.x + 46, g.y + 36));
    SendMessageA(toolbox_inst_, WM_LBUTTONUP, 0, MAKELPARAM(g.x + 46, g.y + 36));
    RECT after = wt::rect_in(toolbox_inst_, view_inst_);
    EXPECT_EQ(after.left - before.left, 40);
    EXPECT_EQ(after.top - before.top, 30);
    EXPECT_EQ(file_setting_get_list("Toolbox", {}), (std::vector<int>{after.left, after.top, 1}));

    // The grabber's tooltip shows while the pointer rests on it ...
    s = {g.x + 6, g.y + 6};
    ClientToScreen(toolbox_inst_, &s);
    SetCursorPos(s.x, s.y);
    SendMessageA(toolbox_inst_, WM_MOUSEMOVE, 0, MAKELPARAM(g.x + 6, g.y + 6));
    pump(600);
    ASSERT_TRUE(tip_visible());
    // ... and goes when the window is resized under it.
    MoveWindow(win_, 0, 0, 560, 320, TRUE);
    pump(30);
    EXPECT_FALSE(tip_visible());
    // A smaller window keeps the whole toolbox inside the diagram.
    RECT v, t = wt::rect_in(toolbox_inst_, view_inst_);
    GetClientRect(view_inst_, &v);
    EXPECT_GE(t.left, 0);
    EXPECT_GE(t.top, 0);
    EXPECT_LE(t.right, v.right);
    EXPECT_LE(t.bottom, v.bottom);
    command(CMD_TOOLBOX);
}

TEST_F(ViewMenu, NewLinksTakeTheToolboxRouteAndPagesLeaveOutNoPrintObjects) {
    Key a = add("Alpha", -300, 0), b = add("Beta", 300, 0);
    toolbox_press(kTgRoute, 5);  // Curve1
    drag_link(a, b);
    ASSERT_EQ(view_doc().links.size(), 1u);
    EXPECT_EQ(view_doc().links[0].route(), 5);
    toolbox_press(kTgRoute, 0);

    // The link ends where it meets each object, not under it.
    paint();
    ASSERT_FALSE(view_painted_links().empty());
    const auto& path = view_painted_links()[0].pts;
    EXPECT_NEAR(path.front().x, box(a).right, 3);
    EXPECT_NEAR(path.back().x, box(b).left, 3);

    // A printed page leaves out an object marked not to be printed; the screen shows it.
    auto o = view_obj_get(b);
    o->flags |= kFlagNoPrint;
    view_obj_put(*o);
    paint();
    wt::MemBitmap page(400, 300, 0, 0);
    ASSERT_TRUE(view_draw(-1, page.dc, 1, 0.5, 0.5));
    GdiFlush();
    wt::MemBitmap page_all(400, 300, 0, 0);
    o->flags &= ~kFlagNoPrint;
    view_obj_put(*o);
    ASSERT_TRUE(view_draw(-1, page_all.dc, 1, 0.5, 0.5));
    EXPECT_LT(page.ink_count(), page_all.ink_count());
}

TEST_F(ViewMenu, EmbeddedMetafilesPaint) {
    // A red square drawn into an enhanced metafile, embedded as hex digits.
    const std::string raw = wt::filled_metafile_bytes(RGB(255, 0, 0));
    std::string hex;
    for (unsigned char ch : raw) {
        char two[3];
        snprintf(two, sizeof two, "%02x", ch);
        hex += two;
    }
    Obj o = view_obj_new("", 0, 0, 1);
    o.shape = 173;
    o.size = 30;
    o.flags |= kFlagNoId;
    Key k = view_obj_put(o).value();
    view_doc().bins.push_back(Attachment{k, 1, "square.emf", 0, 0, hex});
    paint();
    UpdateWindow(view_inst_);
    HDC dc = GetDC(view_inst_);
    Pt c = dev({0, 0});
    COLORREF px = GetPixel(dc, c.x, c.y);
    ReleaseDC(view_inst_, dc);
    EXPECT_EQ(px, RGB(255, 0, 0));
}

TEST_F(ViewMenu, FirstStartShowsTheWholePaletteAndSwatch) {
    // A fresh settings key and an 800 x 600 window: the default layout lies on top.
    EXPECT_TRUE(menu_checked(CMD_TBAR_TOP));
    RECT t;
    GetClientRect(tbar_inst_, &t);
    for (int cell : {0, 15, 16, 17}) {
        Rc r = tbar_model().cell_rect(cell, false);
        EXPECT_LE(r.right, t.right) << cell;
        EXPECT_LE(r.bottom, t.bottom) << cell;
    }
}

TEST_F(ViewMenu, BackReturnsFromAJumpIntoASubLevel) {
    Key a = add("Chapter", 0, 0);
    add("Detail", 0, 0, 4);
    // A jump from Chapter down to level 4, as its action does it.
    view_gosub_push(a, "Chapter", "", 120, -40);
    sbar_set_origin(4, 0, 0);
    command(CMD_BACK);
    ViewState st = sbar_view_state();
    EXPECT_EQ(st.level, 1);
    EXPECT_EQ(st.x0, 120);
    EXPECT_EQ(st.y0, -40);
    EXPECT_TRUE(gosub_.empty());
}

// Arrows and Enter reach the diagram after a dialog, the text box, or another window had the
// keyboard: no click is needed first.
TEST_F(ViewMenu, TheDiagramHasTheKeysAgainAfterDialogsAndTheTextBox) {
    Key a = add("Alpha", 0, 0);
    const Pt on_a = centre(a);
    mouse(WM_LBUTTONDOWN, on_a, MK_LBUTTON);
    mouse(WM_LBUTTONUP, on_a, 0);
    ASSERT_EQ(marked_obj_, std::vector<Key>{a});

    wt::when_dialog("Level", [](HWND d) { wt::press(d, IDCANCEL); });
    command(CMD_LEVEL);
    EXPECT_TRUE(wt::dialog_drivers().empty());
    key(view_inst_, VK_RIGHT);
    EXPECT_EQ(view_doc().obj(a)->x, 10);

    // Renamed in place: Enter in the box commits, and the next arrow moves the object.
    popup(on_a, 10773);
    ASSERT_NE(textbox_inst_.win, nullptr);
    HWND edit = GetDlgItem(textbox_inst_.win, kTextboxEditId);
    SetWindowTextA(edit, "Beta");
    key(edit, VK_RETURN);
    EXPECT_EQ(textbox_inst_.win, nullptr);
    EXPECT_EQ(view_doc().obj(a)->id, "Beta");
    const Pt named{view_doc().obj(a)->x, view_doc().obj(a)->y};  // the box may re-centre it
    obj_mark_one(a);
    key(view_inst_, VK_UP);
    EXPECT_EQ(view_doc().obj(a)->y, named.y + 10);

    // Another window took the keyboard; coming back to the main window gives it to the diagram.
    HWND other = CreateWindowExA(0, "EDIT", "", WS_POPUP | WS_VISIBLE, 0, 0, 60, 20, nullptr, nullptr, nullptr, nullptr);
    SetActiveWindow(other);
    SetFocus(other);
    ASSERT_EQ(GetFocus(), other);
    SetActiveWindow(win_);
    EXPECT_EQ(GetFocus(), view_inst_);
    DestroyWindow(other);
    key(view_inst_, VK_LEFT);
    EXPECT_EQ(view_doc().obj(a)->x, named.x - 10);
}

// Link Defaults' "Always create Label": a link made by a drag from the rim, or by Connect,
// opens its label box.
TEST_F(ViewMenu, AlwaysCreateLabelOpensTheBoxOfEachNewLink) {
    TipPrefs prefs = tip_prefs_get();
    prefs.d = 1;
    tip_prefs_set(prefs);
    Key a = add("Alpha", -300, 0), b = add("Beta", 300, 0), c = add("Gamma", 0, -300);
    drag_link(a, b);
    ASSERT_EQ(view_doc().links.size(), 1u);
    ASSERT_NE(textbox_inst_.win, nullptr);
    EXPECT_EQ(textbox_inst_.mode, 2);
    HWND edit = GetDlgItem(textbox_inst_.win, kTextboxEditId);
    SetWindowTextA(edit, "leads to");
    key(edit, VK_RETURN);
    EXPECT_EQ(view_link_get(a, b)->label, "leads to");

    marked_obj_ = {b, c};
    command(CMD_CONNECT);
    ASSERT_TRUE(view_link_get(b, c));
    ASSERT_NE(textbox_inst_.win, nullptr);
    EXPECT_EQ(textbox_inst_.k1, b);
    textbox_close();

    prefs.d = 0;
    tip_prefs_set(prefs);
    marked_obj_ = {a, c};
    command(CMD_CONNECT);
    EXPECT_TRUE(view_link_get(a, c));
    EXPECT_EQ(textbox_inst_.win, nullptr);
}

// Warn Dupl ID On/Off switches the duplicate-ID note and is kept for the next run.
TEST_F(ViewMenu, WarnDuplicateIdSwitchesTheNoteAndIsKept) {
    HMENU bar = GetMenu(win_);
    menu_refresh();
    EXPECT_FALSE(GetMenuState(bar, CMD_WARN_DUPL, MF_BYCOMMAND) & MF_GRAYED);
    const bool was = menu_checked(CMD_WARN_DUPL);
    add("Alpha", -300, 0);
    Key b = add("Beta", 300, 0);
    auto rename_b = [&](const char* id) {
        Boxes::notes.clear();
        view_open_textbox(1, b, 0, false);
        HWND edit = GetDlgItem(textbox_inst_.win, kTextboxEditId);
        SetWindowTextA(edit, id);
        key(edit, VK_RETURN);
    };
    command(CMD_WARN_DUPL);
    EXPECT_NE(menu_checked(CMD_WARN_DUPL), was);
    if (!menu_checked(CMD_WARN_DUPL)) command(CMD_WARN_DUPL);
    rename_b("Alpha");
    EXPECT_EQ(Boxes::notes, std::vector<std::string>{"Alpha already exists (warn only)"});
    command(CMD_WARN_DUPL);
    rename_b("Beta");
    rename_b("Alpha");
    EXPECT_TRUE(Boxes::notes.empty());

    close_main();
    open_main();
    EXPECT_FALSE(menu_checked(CMD_WARN_DUPL));
    command(CMD_WARN_DUPL);
    close_main();
    open_main();
    EXPECT_TRUE(menu_checked(CMD_WARN_DUPL));
}

// Status Display from the status bar's pop-up: the pointer's place in document units, or the
// hint for what lies under it; both menus show which.
TEST_F(ViewMenu, StatusDisplayShowsThePointersPlaceOrTheHint) {
    add("Alpha", 0, 0);
    auto choose = [&](int item) {
        SetTimer(nullptr, 0, 50, close_menu);
        SendMessageA(status_inst_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 8));
        command(item);
    };
    choose(10734);
    EXPECT_TRUE(menu_checked(CMD_SHOW_MOUSE_POS));
    EXPECT_FALSE(menu_checked(CMD_SHOW_COMMANDS));
    Pt d = dev({0, 0});
    mouse(WM_MOUSEMOVE, {d.x + 50, d.y}, 0);
    Pt lp = view_mapping().to_logical({d.x + 50, d.y});
    EXPECT_EQ(status_model().status_text(), "X: " + std::to_string(lp.x) + "  Y: " + std::to_string(lp.y));
    choose(10733);
    EXPECT_TRUE(menu_checked(CMD_SHOW_COMMANDS));
    mouse(WM_MOUSEMOVE, d, 0);
    EXPECT_EQ(status_model().status_text(), "Object: Click to Mark, Drag to Move");
}

// Grouped shapes are marked and moved together; Group and Ungroup are one step each.
TEST_F(ViewMenu, GroupedShapesAreMarkedAndMovedTogether) {
    auto shape = [&](int l, int t, int r, int b) {
        Shape s;
        s.kind = 1;
        s.level = 1;
        s.left = l, s.top = t, s.right = r, s.bottom = b;
        return view_shape_put(s).value_or(0);
    };
    Key s1 = shape(-400, 100, -300, 0), s2 = shape(-200, 100, -100, 0), s3 = shape(200, 100, 300, 0);
    paint();
    Pt on1 = dev({-350, 50}), on2 = dev({-150, 50});
    mouse(WM_LBUTTONDOWN, on1, MK_LBUTTON);
    mouse(WM_LBUTTONUP, on1, 0);
    mouse(WM_LBUTTONDOWN, on2, MK_LBUTTON | MK_SHIFT);
    mouse(WM_LBUTTONUP, on2, MK_SHIFT);
    ASSERT_EQ(marked_shape_.size(), 2u);
    command(CMD_GROUP);
    EXPECT_EQ(view_undo_name(), "Group");
    view_unmark_all();
    paint();

    // A click on one marks the group; a drag moves it whole, as one step.
    mouse(WM_LBUTTONDOWN, on2, MK_LBUTTON);
    std::sort(marked_shape_.begin(), marked_shape_.end());
    EXPECT_EQ(marked_shape_, (std::vector<Key>{s1, s2}));
    mouse(WM_MOUSEMOVE, {on2.x + 40, on2.y}, MK_LBUTTON);
    mouse(WM_LBUTTONUP, {on2.x + 40, on2.y}, 0);
    const int moved = view_shape_get(s1)->left + 400;
    EXPECT_GT(moved, 0);
    EXPECT_EQ(view_shape_get(s2)->left, -200 + moved);
    EXPECT_EQ(view_shape_get(s3)->left, 200);
    view_undo();
    EXPECT_EQ(view_shape_get(s1)->left, -400);
    EXPECT_EQ(view_shape_get(s2)->left, -200);
    paint();

    mouse(WM_LBUTTONDOWN, on1, MK_LBUTTON);
    mouse(WM_LBUTTONUP, on1, 0);
    command(CMD_UNGROUP);
    EXPECT_EQ(view_undo_name(), "Ungroup");
    view_unmark_all();
    mouse(WM_LBUTTONDOWN, on1, MK_LBUTTON);
    mouse(WM_LBUTTONUP, on1, 0);
    EXPECT_EQ(marked_shape_, std::vector<Key>{s1});
}

// The background pop-up's Paste puts the copy where the user right-clicked; Ctrl+V puts it
// where it covers nothing, the original least of all.
TEST_F(ViewMenu, PasteGoesWhereClickedOrBesideTheOriginal) {
    Key a = add("Alpha", 0, 0);
    const Rc r = box(a);
    mouse(WM_LBUTTONDOWN, centre(a), MK_LBUTTON);
    mouse(WM_LBUTTONUP, centre(a), 0);
    command(CMD_COPY);

    command(CMD_PASTE);
    ASSERT_EQ(view_doc().objs.size(), 2u);
    paint();
    Rc copy = box(marked_obj_.front());
    const bool apart = copy.left > r.right || copy.right < r.left || copy.bottom > r.top || copy.top < r.bottom;
    EXPECT_TRUE(apart) << copy.left << "," << copy.top << " over " << r.left << "," << r.top;

    Pt empty = dev({-400, -250});
    Pt want = view_mapping().to_logical(empty);
    popup(empty, 10806);
    ASSERT_EQ(view_doc().objs.size(), 3u);
    const Obj* pasted = view_doc().obj(marked_obj_.front());
    EXPECT_EQ(pasted->x, want.x);
    EXPECT_EQ(pasted->y, want.y);
}

namespace {

// The view's pixels on a grid, in screen places; the box's own area is left out.
struct ViewPixels {
    std::vector<COLORREF> px;
    static ViewPixels take(const RECT& leave_out) {
        ViewPixels v;
        RECT c;
        GetClientRect(view_inst_, &c);
        HDC dc = GetDC(view_inst_);
        for (int y = 0; y < c.bottom; y += 6)
            for (int x = 0; x < c.right; x += 6) {
                POINT p{x, y};
                ClientToScreen(view_inst_, &p);
                v.px.push_back(PtInRect(&leave_out, p) ? CLR_INVALID : GetPixel(dc, x, y));
            }
        ReleaseDC(view_inst_, dc);
        return v;
    }
};
ViewPixels under_box_;
RECT box_rect_;

// While the error box shows: what the view shows around it; then OK.
void CALLBACK look_under_box(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindWindowA("#32770", "Error");
    if (!box || !IsWindowVisible(box)) return;
    KillTimer(nullptr, id);
    wt::pump(100);  // the view repaints under the box
    GetWindowRect(box, &box_rect_);
    under_box_ = ViewPixels::take(box_rect_);
    SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
}

}  // namespace

// While the box of a document that is refused shows, the diagram under it is drawn whole, every
// object of the level and the level below, as it was before.
TEST_F(ViewMenu, ARefusedDocumentsBoxShowsTheLevelWhole) {
    add("First", -300, 100);
    add("Second", 300, 100);
    add("Below", 0, -150, 2);
    add("Last", 0, -300);
    file_clear_changed();
    paint();
    const std::string broken = (dir_ / "broken.vrn").string();
    std::FILE* f = std::fopen(broken.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("j_(1,\"abc\n", f);
    std::fclose(f);
    {
        // Boxes shown for real, as the user sees them.
        MsgHooks recorder = msg_set_hooks({});
        vorn_install_message_boxes();
        under_box_ = {};
        UINT_PTR timer = SetTimer(nullptr, 0, 50, look_under_box);
        wt::when_dialog("Open File", [&](HWND d) { wt::choose_file(d, broken); });
        SetFocus(view_inst_);
        wt::key_with(VK_CONTROL, 'O');
        pump(100);
        KillTimer(nullptr, timer);
        msg_set_hooks(recorder);
    }
    ASSERT_FALSE(under_box_.px.empty()) << "no error box";
    EXPECT_EQ(view_doc().objs.size(), 4u);
    paint();
    pump(50);
    const ViewPixels after = ViewPixels::take(box_rect_);
    ASSERT_EQ(after.px.size(), under_box_.px.size());
    size_t differ = 0;
    for (size_t k = 0; k < after.px.size(); ++k) differ += after.px[k] != under_box_.px[k];
    EXPECT_EQ(differ, 0u);
}

// New objects, links, shapes and points show on the background: on its very colour (a document
// without a background setting) and on one too close to theirs.
TEST_F(ViewMenu, NewItemsShowOnABackgroundOfTheirColour) {
    view_doc().params.erase(1);
    tbar_set_current_color(view_param_get(1));
    paint();
    SendMessageA(view_inst_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(120, 120));
    ASSERT_NE(textbox_inst_.win, nullptr);
    Key made = textbox_inst_.k1;
    textbox_close();
    const Colour bg = tbar_color_or(view_param_get(1));
    EXPECT_NE(tbar_color_or(view_doc().obj(made)->colour), bg);
    Key other = add("Other", 300, 0);
    marked_obj_ = {made, other};
    command(CMD_CONNECT);
    ASSERT_EQ(view_doc().links.size(), 1u);
    EXPECT_NE(tbar_color_or(link_unpack(view_doc().links[0]).colour), bg);
    // Chosen on purpose, another colour stays what it is.
    tbar_set_current_color(4);
    Key blue = add("Other colour", -300, 0);
    EXPECT_EQ(view_doc().obj(blue)->colour, 4);

    // Blue on a navy background is too dark to read, though not the same colour: the new object
    // and its link come out white.
    view_doc().set_param(1, 1);
    tbar_set_current_color(2);
    paint();
    SendMessageA(view_inst_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(60, 300));
    ASSERT_NE(textbox_inst_.win, nullptr);
    Key on_navy = textbox_inst_.k1;
    textbox_close();
    EXPECT_EQ(view_doc().obj(on_navy)->colour, 15);
    marked_obj_ = {on_navy, other};
    command(CMD_CONNECT);
    ASSERT_EQ(view_doc().links.size(), 2u);
    EXPECT_EQ(link_unpack(view_doc().links[1]).colour, 15);
}
