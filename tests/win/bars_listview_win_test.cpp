#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bars/dragdrop_win.h"
#include "bars/listview_win.h"
#include "base/error.h"
#include "resources/bartools_ids.h"
#include "win/win_test_util.h"

namespace {

using wt::pump;

// What the owner saw.
std::vector<LvNotification> seen_;
bool veto_selecting_ = false;
bool veto_edit_ = false;
int next_id_ = 100;

LRESULT CALLBACK host_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = 0;
    if (lv_handle_event(win, msg, wp, lp, &r)) return r;
    return DefWindowProcA(win, msg, wp, lp);
}

bool owner_cb(const LvNotification& n, HWND host) {
    seen_.push_back(n);
    switch (n.kind) {
    case kLvColumnClick: lv_text_sort(host, LvSortOrder::ascending, n.column, 0, 0); break;
    case kLvItemSelecting: return veto_selecting_;
    case kLvEndLabelEdit: return veto_edit_;
    case kLvDrop:
        if (auto d = lv_item_parse(n.data)) {
            d->item.id = next_id_++;
            d->item.states.clear();
            lv_insert_item(host, d->item);
        }
        break;
    default: break;
    }
    return false;
}

LvItem row(int id, const char* name, const char* size, int bitmap) { return {id, name, bitmap, bitmap, {}, {size}}; }

std::vector<std::string> rows_shown(HWND host) {
    HWND c = lv_control_handle(host);
    std::vector<std::string> out;
    int n = static_cast<int>(SendMessageA(c, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char buf[100] = {};
        LVITEMA it = {};
        it.pszText = buf;
        it.cchTextMax = sizeof buf;
        SendMessageA(c, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&it));
        out.push_back(buf);
    }
    return out;
}

// A window with two lists, as a dialog would hold them.
class TwoLists : public testing::Test {
protected:
    void SetUp() override {
        seen_.clear();
        veto_selecting_ = veto_edit_ = false;
        WNDCLASSA wc = {};
        wc.lpfnWndProc = host_eh;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "listview_test";
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        RegisterClassA(&wc);
        dlg_ = CreateWindowExA(0, "#32770", "Two lists", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 560, 300, nullptr,
                               nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(dlg_);
        a_ = CreateWindowA("listview_test", "", WS_CHILD | WS_VISIBLE, 10, 10, 260, 240, dlg_, nullptr, wc.hInstance, nullptr);
        b_ = CreateWindowA("listview_test", "", WS_CHILD | WS_VISIBLE, 285, 10, 260, 240, dlg_, nullptr, wc.hInstance, nullptr);
        std::vector<LvColumn> cols = {{"Name", 150, LvAlign::right}, {"Size", 80, LvAlign::right}};
        lv_create(a_, kLvReport, {0x8, 0x4}, cols,
                  {row(1, "pear", "30", 11037), row(2, "Apple", "5", 11038), row(3, "fig", "120", 11041)},
                  IDC_LV_DRAG, IDC_LV_DRAG, owner_cb);
        lv_create(b_, kLvReport, {0x8}, cols, {}, IDC_LV_DRAG, IDC_LV_DRAG, owner_cb);
        pump(100);
    }
    void TearDown() override {
        DestroyWindow(dlg_);
        pump(20);
    }
    POINT row_point(HWND host, int index) {
        RECT r = {LVIR_LABEL, 0, 0, 0};
        SendMessageA(lv_control_handle(host), LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
        return {r.left + 10, (r.top + r.bottom) / 2};
    }
    HWND dlg_ = nullptr, a_ = nullptr, b_ = nullptr;
};

TEST_F(TwoLists, ItemsAreFoundByIdWhereverTheControlPutsThem) {
    EXPECT_EQ(lv_get_item(a_, 2), (LvItem{2, "Apple", 11038, 11038, {}, {"5"}}));
    EXPECT_EQ(lv_get_column(a_, 1).align, LvAlign::left);  // the first column is always left
    EXPECT_EQ(lv_get_column(a_, 2).align, LvAlign::right);
    // A list sorted by text puts its rows, and new ones, in their place; a text whose sort key is
    // long goes where it belongs too.
    const std::string long_text = "figs" + std::string(400, 'x');
    lv_create(a_, kLvReport, {0x8, 0x4, 0x10}, {{"Name", 150, LvAlign::left}, {"Size", 80, LvAlign::right}},
              {row(1, "pear", "30", 11037), row(4, long_text.c_str(), "1", 11037), row(2, "Apple", "5", 11038),
               row(3, "fig", "120", 11041)},
              0, 0, owner_cb);
    lv_insert_item(a_, row(9, "banana", "7", 11042));
    std::vector<std::string> shown = rows_shown(a_);
    for (std::string& t : shown) t.resize(std::min<size_t>(t.size(), 8));
    EXPECT_EQ(shown, (std::vector<std::string>{"Apple", "banana", "fig", "figsxxxx", "pear"}));
    for (int id : {1, 2, 3, 4, 9}) EXPECT_EQ(lv_get_item(a_, id).id, id);
    EXPECT_EQ(lv_get_item(a_, 4).text, long_text);
    lv_put_item(a_, {3, "fig tree", 11043, 11043, {2}, {"121"}});
    EXPECT_EQ(lv_get_selected(a_), std::vector<int>{3});
    lv_delete_item(a_, 9);
    lv_delete_item(a_, 4);
    EXPECT_EQ(lv_item_count(a_), 3);

    struct Bad { void (*op)(HWND); int code; } bad[] = {
        {[](HWND h) { lv_get_item(h, 77); }, 9001},
        {[](HWND h) { lv_delete_item(h, 77); }, 9001},
        {[](HWND h) { lv_put_item(h, {77, "x"}); }, 9000},
        {[](HWND h) { lv_get_column(h, 0); }, 9004},
        {[](HWND) { lv_item_count(GetDesktopWindow()); }, 9000},
    };
    for (const auto& b : bad) {
        try {
            b.op(a_);
            ADD_FAILURE() << b.code;
        } catch (const VornError& e) {
            EXPECT_EQ(e.code, b.code);
        }
    }
    // Cleared rows leave no ids behind.
    lv_clear(a_);
    EXPECT_THROW(lv_get_item(a_, 1), VornError);
    lv_insert_item(a_, row(1, "again", "1", 11037));
    EXPECT_EQ(lv_get_item(a_, 1).text, "again");
    // A second lv_create replaces the list.
    lv_create(a_, kLvReport, {}, {{"Only", 100, LvAlign::left}}, {row(5, "five", "", 11037)}, 0, 0, owner_cb);
    EXPECT_EQ(lv_item_count(a_), 1);
}

TEST_F(TwoLists, HeaderClicksSortByTheColumnAndTheOwnerCanVetoSelection) {
    wt::shot(dlg_, "listview_two_lists");
    HWND header = reinterpret_cast<HWND>(SendMessageA(lv_control_handle(a_), LVM_GETHEADER, 0, 0));
    ASSERT_TRUE(header);
    RECT r;
    Header_GetItemRect(header, 1, &r);
    wt::click(header, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    pump(50);
    ASSERT_FALSE(seen_.empty());
    EXPECT_EQ(seen_.back().kind, kLvColumnClick);
    EXPECT_EQ(seen_.back().column, 2);
    EXPECT_EQ(rows_shown(a_), (std::vector<std::string>{"fig", "pear", "Apple"}));  // "120" < "30" < "5" as texts
    Header_GetItemRect(header, 0, &r);
    wt::click(header, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    pump(50);
    EXPECT_EQ(rows_shown(a_), (std::vector<std::string>{"Apple", "fig", "pear"}));
    lv_text_sort(a_, LvSortOrder::unsorted, 0, 0, 0);
    EXPECT_EQ(rows_shown(a_), (std::vector<std::string>{"pear", "Apple", "fig"}));

    veto_selecting_ = true;
    POINT p = row_point(a_, 1);
    wt::click(lv_control_handle(a_), p.x, p.y);
    pump(50);
    EXPECT_TRUE(lv_get_selected(a_).empty());
    veto_selecting_ = false;
    wt::click(lv_control_handle(a_), p.x, p.y);
    pump(50);
    EXPECT_EQ(lv_get_selected(a_), std::vector<int>{2});
    bool told = false;
    for (const auto& n : seen_) told |= n.kind == kLvItemSelected && n.id == 2 && n.on == 1;
    EXPECT_TRUE(told);
}

// A sorted list of thousands of rows: each row shows its own texts, and the marked row stays
// marked, under the keyboard and the mouse, while rows come, go and sort.
TEST_F(TwoLists, ManySortedRowsKeepTheMarkedRowWhereverItMoves) {
    char name[16];
    std::vector<LvItem> many;
    for (int i = 0; i < 3000; ++i) {
        std::snprintf(name, sizeof name, "k%04d", 2999 - i);
        many.push_back(row(1000 + i, name, std::to_string(i).c_str(), 11037));
    }
    lv_create(a_, kLvReport, {0x8, 0x4, 0x10}, {{"Name", 150}, {"Size", 80}}, many, 0, 0, owner_cb);
    HWND c = lv_control_handle(a_);
    auto shown_row = [&] { return static_cast<int>(SendMessageA(c, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); };
    EXPECT_EQ(lv_item_count(a_), 3000);
    std::vector<std::string> top = rows_shown(a_);
    EXPECT_EQ(std::vector<std::string>(top.begin(), top.begin() + 3), (std::vector<std::string>{"k0000", "k0001", "k0002"}));
    char size[16] = {};
    LVITEMA sub = {};
    sub.iSubItem = 1;
    sub.pszText = size;
    sub.cchTextMax = sizeof size;
    SendMessageA(c, LVM_GETITEMTEXTA, 1, reinterpret_cast<LPARAM>(&sub));
    EXPECT_STREQ(size, "2998");
    EXPECT_EQ(lv_get_item(a_, 3998), (LvItem{3998, "k0001", 11037, 11037, {}, {"2998"}}));

    POINT p = row_point(a_, 1);
    wt::click(c, p.x, p.y);
    pump(50);
    EXPECT_EQ(lv_get_selected(a_), std::vector<int>{3998});
    bool told = false;
    for (const auto& n : seen_) told |= n.kind == kLvItemSelected && n.id == 3998 && n.on == 1;
    EXPECT_TRUE(told);
    lv_insert_item(a_, row(7, "k0000a", "", 11037));
    EXPECT_EQ(shown_row(), 2);
    lv_text_sort(a_, LvSortOrder::descending, 1, 0, 0);
    EXPECT_EQ(lv_get_selected(a_), std::vector<int>{3998});
    EXPECT_EQ(shown_row(), 2998);
    EXPECT_EQ(lv_get_item(a_, 7).text, "k0000a");
    lv_delete_item(a_, 3999);  // k0000, below it
    EXPECT_EQ(shown_row(), 2998);

    // Typing a row's first letters picks it; Enter tells the owner which row it was.
    lv_text_sort(a_, LvSortOrder::ascending, 1, 0, 0);
    SetFocus(c);
    for (UINT vk : {'K', '0', '0', '5', '0'}) wt::key(vk);
    EXPECT_EQ(lv_get_selected(a_), std::vector<int>{3949});
    seen_.clear();
    wt::key(VK_RETURN);
    bool returned = false;
    for (const auto& n : seen_) returned |= n.kind == kLvReturn && n.ids == std::vector<int>{3949};
    EXPECT_TRUE(returned);
    lv_delete_item(a_, 3949);
    EXPECT_TRUE(lv_get_selected(a_).empty());
    EXPECT_EQ(lv_item_count(a_), 2999);
}

// Edits a row's label in place and ends with `key`.
void edit_label(HWND host, int row, const char* text, WPARAM key) {
    HWND edit = reinterpret_cast<HWND>(SendMessageA(lv_control_handle(host), LVM_EDITLABELA, row, 0));
    ASSERT_TRUE(edit);
    SetWindowTextA(edit, text);
    SendMessageA(edit, WM_KEYDOWN, key, 0);
    pump(30);
}

bool by_id_descending(HWND, int id1, int id2, LPARAM, bool* before) {
    *before = id1 > id2;
    return true;
}

TEST_F(TwoLists, LabelEditsAreStoredUnlessCancelledOrRefused) {
    lv_create(a_, kLvReport, {0x8, 0x200}, {{"Name", 150, LvAlign::left}},
              {row(1, "pear", "", 11037), row(2, "Apple", "", 11038), row(3, "fig", "", 11041)}, 0, 0, owner_cb);
    edit_label(a_, 0, "Plum", VK_RETURN);
    EXPECT_EQ(lv_get_item(a_, 1).text, "Plum");
    bool told = false;
    for (const auto& n : seen_) told |= n.kind == kLvEndLabelEdit && n.id == 1 && n.text == "Plum";
    EXPECT_TRUE(told);
    size_t before = seen_.size();
    edit_label(a_, 1, "Quince", VK_ESCAPE);
    EXPECT_EQ(lv_get_item(a_, 2).text, "Apple");
    for (size_t i = before; i < seen_.size(); ++i) EXPECT_NE(seen_[i].kind, kLvEndLabelEdit);
    veto_edit_ = true;
    edit_label(a_, 2, "Grape", VK_RETURN);
    EXPECT_EQ(lv_get_item(a_, 3).text, "fig");

    lv_sort(a_, 0, by_id_descending);
    EXPECT_EQ(rows_shown(a_), (std::vector<std::string>{"fig", "Apple", "Plum"}));
    EXPECT_EQ(lv_next_item(a_, 3, 0x200), 2);  // below
}

// Mouse messages to the control: the moves wait in the queue, where the control's drag
// detection looks for them after the press.
LPARAM at(POINT p) { return MAKELPARAM(p.x, p.y); }

TEST_F(TwoLists, RowsDragFromOneListIntoTheOther) {
    lv_set_drag_text(a_, "from A");
    HWND ca = lv_control_handle(a_);
    POINT start = row_point(a_, 1);  // Apple
    POINT over_b = {start.x + 285, start.y + 30};  // in A's coordinates, over list B
    SetCursorPos(start.x, start.y);
    for (int d = 4; d <= 40; d += 4) PostMessageA(ca, WM_MOUSEMOVE, MK_LBUTTON, at({start.x + d, start.y + d}));
    SendMessageA(ca, WM_LBUTTONDOWN, MK_LBUTTON, at(start));
    pump(50);
    SendMessageA(ca, WM_MOUSEMOVE, MK_LBUTTON, at(over_b));
    SendMessageA(ca, WM_MOUSEMOVE, MK_LBUTTON, at({over_b.x + 2, over_b.y + 2}));
    wt::shot(dlg_, "listview_dragging");
    bool over = false, began = false;
    for (const auto& n : seen_) {
        began |= n.kind == kLvBeginDrag && n.id == 2;
        over |= n.kind == kLvDragOver && n.source == dd_win(a_);
    }
    EXPECT_TRUE(began);
    EXPECT_TRUE(over);
    SendMessageA(ca, WM_LBUTTONUP, 0, at({over_b.x + 2, over_b.y + 2}));
    pump(50);
    ASSERT_EQ(lv_item_count(b_), 1);
    wt::shot(dlg_, "listview_dropped");
    LvItem got = lv_get_item(b_, 100);
    EXPECT_EQ(got.text, "Apple");
    EXPECT_EQ(got.sub_texts, std::vector<std::string>{"5"});
    const LvNotification& drop = seen_.back();
    EXPECT_EQ(drop.kind, kLvDrop);
    EXPECT_EQ(lv_item_parse(drop.data)->drag_text, "from A");
    EXPECT_EQ(lv_item_count(a_), 3);  // the owner decides whether rows move or copy

    // Over a window that takes no drops nothing is delivered.
    size_t before = seen_.size();
    EXPECT_FALSE(dd_drop(a_, {-200, -200}, 0, "nothing"));
    EXPECT_FALSE(dd_drag_over(a_, {20, -5}, 0, "header"));
    for (size_t i = before; i < seen_.size(); ++i) EXPECT_NE(seen_[i].kind, kLvDrop);
}

// Texts longer than one atom arrive whole, with their case.
std::vector<DdMess> got_;
void record(const DdMess& m) { got_.push_back(m); }

TEST_F(TwoLists, DraggedTextsArriveWhole) {
    HWND target = CreateWindowA("listview_test", "", WS_CHILD | WS_VISIBLE, 0, 255, 560, 20, dlg_, nullptr, nullptr, nullptr);
    dd_register(target, record);
    dd_register(target, record);  // twice: the handler stays installed once
    std::string text;
    for (int i = 0; i < 300; ++i) text += static_cast<char>("aB#cD 1\x01\xff"[i % 9]);
    got_.clear();
    POINT p = {20, 260};
    MapWindowPoints(dlg_, a_, &p, 1);
    EXPECT_TRUE(dd_drag_over(a_, p, 1, text));
    EXPECT_TRUE(dd_drop(a_, p, 1, text));
    ASSERT_EQ(got_.size(), 3u);
    EXPECT_EQ(got_[0].kind, kDdEnter);
    EXPECT_EQ(got_[1].kind, kDdOver);
    EXPECT_EQ(got_[1].data, text);
    EXPECT_EQ(got_[1].x, 20);
    EXPECT_EQ(got_[1].y, 5);
    EXPECT_EQ(got_[1].button, 1);
    EXPECT_EQ(got_.back().kind, kDdDrop);
    EXPECT_EQ(got_.back().data, text);
}

}  // namespace
