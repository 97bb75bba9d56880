// A plan of activities and a few computed objects, computed through the Compute dialog, Tools >
// Recompute and Object Properties as a user does it, with Undo and Redo (Ctrl+Z, Ctrl+Y) after
// each; the document saved at each point is compared with the one saved before.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/vorn6_win.h"
#include "bars/sbar.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "resources/dlgs_ids.h"
#include "resources/ideas_ids.h"
#include "resources/ids.h"
#include "view/view_win.h"
#include "win/win_test_util.h"

namespace {

using wt::Boxes;
using wt::pump;

// From, to, duration: a start E1, an end E10, two critical chains joining.
constexpr std::array<std::array<int, 3>, 13> kActs{{{1, 2, 5}, {1, 3, 8}, {2, 4, 6}, {3, 4, 2}, {3, 5, 7},
                                                    {4, 6, 9}, {5, 6, 3}, {5, 7, 4}, {6, 8, 5}, {7, 8, 6},
                                                    {8, 9, 2}, {7, 9, 12}, {9, 10, 4}}};
constexpr int kEvents = 10;

class IdeasPlan : public wt::MainWindowTest {
protected:
    IdeasPlan() : MainWindowTest("vorn_ideas_plan_test", SW_SHOWNOACTIVATE) {}
    void SetUp() override {
        MainWindowTest::SetUp();
        view_doc() = Document();
        view_undo_clear();
        marked_obj_.clear();
        marked_link_.clear();
        file_set_current_name(path("plan.vrn"));
        sbar_set_origin(1, 0, 0);
    }

    Key add(const std::string& id, int x, int y, const std::string& ext = {}) {
        Obj o = view_obj_new(id, x, y, 1);
        o.shape = 161;
        o.ext = ext;
        return view_obj_put(o).value_or(0);
    }
    void plan() {
        for (int k = 1; k <= kEvents; ++k) add(std::string("E").append(std::to_string(k)), 120 * k, 60 * (k % 3));
        for (const auto& a : kActs) {
            Link l;
            l.from = static_cast<Key>(a[0]);
            l.to = static_cast<Key>(a[1]);
            l.label = std::to_string(a[2]) + " days";
            view_link_add(l);
        }
    }
    // Earliest starts and latest completions by plain relaxation, apart from the program's way.
    static std::string expected_id(int event) {
        std::array<double, kEvents + 1> es{}, lc{};
        for (int pass = 0; pass < kEvents; ++pass)
            for (const auto& a : kActs) es[a[1]] = std::max(es[a[1]], es[a[0]] + a[2]);
        lc.fill(es[kEvents]);
        for (int pass = 0; pass < kEvents; ++pass)
            for (const auto& a : kActs) lc[a[0]] = std::min(lc[a[0]], lc[a[1]] - a[2]);
        std::ostringstream s;
        s << "E" << event << "[ES=" << es[event] << "  LC=" << lc[event] << "]";
        return s.str();
    }

    void ctrl_key(UINT vk) { wt::ctrl_key(vk, view_inst_); }
    void command(int id) { SendMessageA(win_, WM_COMMAND, id, 0); }
    // File > Save, then what it wrote. Painted first: a paint records the levels in use.
    std::string saved() {
        paint();
        command(CMD_SAVE);
        std::ifstream in(path("plan.vrn"), std::ios::binary);
        std::string t((std::istreambuf_iterator<char>(in)), {});
        EXPECT_FALSE(t.empty());
        return t;
    }
    void paint() {
        view_invalidate();
        UpdateWindow(view_inst_);
        pump(30);
    }
    void ctrl_click(Key k) {
        paint();
        const Obj* o = view_doc().obj(k);
        ASSERT_NE(o, nullptr);
        Pt d = view_mapping().to_device({o->x, o->y});
        SendMessageA(view_inst_, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(d.x, d.y));
        SendMessageA(view_inst_, WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(d.x, d.y));
    }
    // Tools > Compute..., the computation chosen by its name, OK.
    void compute(const char* computation, const char* format = nullptr) {
        bool seen = false;
        wt::when_dialog("Compute", [&](HWND dlg) {
            seen = true;
            HWND list = GetDlgItem(dlg, IDC_COMPUTE_LIST);
            LRESULT i = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(computation));
            ASSERT_GE(i, 0);
            SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
            SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_COMPUTE_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
            if (format) SetDlgItemTextA(dlg, IDC_COMPUTE_FORMAT, format);
            wt::press(dlg, IDOK);
        });
        command(CMD_COMPUTE);
        EXPECT_TRUE(seen);
    }
    std::string id(Key k) { return view_obj_id(k).value_or("(gone)"); }
    std::string value(Key k) {
        const std::string* v = view_doc().value(k);
        return v ? *v : "(none)";
    }

};

TEST_F(IdeasPlan, CriticalPathThroughTheComputeDialogUndoesAndRedoesAsSteps) {
    plan();
    const std::string plain = saved();

    compute("Critical Path");
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors.front();
    EXPECT_TRUE(Boxes::questions.empty());  // an empty level 2 is the chart's without asking
    for (int k = 1; k <= kEvents; ++k) EXPECT_EQ(id(static_cast<Key>(k)), expected_id(k));
    for (size_t n = 0; n < kActs.size(); ++n) {
        const auto& a = kActs[n];
        // Critical: no float between the ends' times.
        std::string from = expected_id(a[0]), to = expected_id(a[1]);
        auto num = [](const std::string& s, const char* tag) { return std::stod(s.substr(s.find(tag) + 3)); };
        const bool crit = num(to, "LC=") - num(from, "ES=") - a[2] < 0.0001;
        EXPECT_EQ((view_doc().links[n].flags & 4) != 0, crit) << n;
    }
    size_t on_chart = std::count_if(view_doc().objs.begin(), view_doc().objs.end(), [](const Obj& o) { return o.level == 2; });
    EXPECT_EQ(on_chart, 21u + kActs.size() + 1u);
    const std::string charted = saved();
    EXPECT_NE(charted, plain);

    // The choices, the chart, the times and the marks go back and come again as one step.
    ctrl_key('Z');
    EXPECT_EQ(saved(), plain);
    ctrl_key('Y');
    EXPECT_EQ(saved(), charted);

    // No Computation removes the marks, and Undo still follows: first the marks, then the chart.
    compute("No Computation");
    for (const Link& l : view_doc().links) EXPECT_EQ(l.flags & 4, 0);
    const std::string unmarked = saved();
    EXPECT_TRUE(Boxes::notes.empty()) << Boxes::notes.front();
    ctrl_key('Z');
    EXPECT_EQ(saved(), charted);
    ctrl_key('Z');
    EXPECT_EQ(saved(), plain);
    ctrl_key('Y');
    ctrl_key('Y');
    EXPECT_EQ(saved(), unmarked);
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors.front();
}

TEST_F(IdeasPlan, AnEventMovedToTheChartLevelStaysWithItsLinks) {
    plan();
    view_param_set(209, 2);
    view_param_set(69, 0);  // Auto
    command(CMD_RECOMPUTE);
    const std::string charted = saved();
    const Key e5 = 5;

    wt::when_dialog("Object Properties [#5]", [&](HWND dlg) {
        HWND level = GetDlgItem(dlg, IDC_OBJ_LEVEL);
        LRESULT i = SendMessageA(level, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("2"));
        ASSERT_GE(i, 0);
        SendMessageA(level, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_OBJ_LEVEL, CBN_SELCHANGE), reinterpret_cast<LPARAM>(level));
        wt::press(dlg, IDOK);
    });
    ctrl_click(e5);
    pump(50);
    ASSERT_NE(view_doc().obj(e5), nullptr);
    EXPECT_EQ(view_doc().obj(e5)->level, 2);
    EXPECT_EQ(id(e5), expected_id(5));
    EXPECT_EQ(view_doc().links.size(), kActs.size());
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_NE(Boxes::notes[0].find("(E5)"), std::string::npos) << Boxes::notes[0];
    // The scale of the earlier chart stays as it was.
    for (const Obj& o : view_doc().objs) {
        if (o.level == 2 && o.y == -20) {
            EXPECT_EQ(o.id, std::to_string(o.x / 10));
        }
    }
    const std::string moved = saved();

    ctrl_key('Z');
    EXPECT_EQ(saved(), charted);
    ctrl_key('Y');
    EXPECT_EQ(saved(), moved);
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors.front();
}

// Auto mode runs the critical path after every edit: a question answered no and a note once
// shown are not put again by those runs, but Tools > Recompute puts them again.
TEST_F(IdeasPlan, EditsInAutoModeDoNotRepeatWhatTheUserWasAskedOrTold) {
    plan();
    Key memo = add("Memo", 0, 300);
    view_doc().obj(memo)->level = 2;
    std::ofstream(path("plan.txt"), std::ios::binary) << "my own notes\r\n";
    auto edit = [&](Key k, const char* new_id, const char* level) {
        wt::when_dialog("Object Properties [#" + std::to_string(k) + "]", [&](HWND dlg) {
            if (new_id) SetDlgItemTextA(dlg, IDC_OBJ_ID, new_id);
            if (level) {
                HWND box = GetDlgItem(dlg, IDC_OBJ_LEVEL);
                LRESULT i = SendMessageA(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(level));
                ASSERT_GE(i, 0);
                SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
                SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_OBJ_LEVEL, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
            }
            wt::press(dlg, IDOK);
        });
        ctrl_click(k);
        pump(50);
    };
    auto first_words = [](const std::vector<std::string>& v) {
        std::vector<std::string> r;
        for (const std::string& t : v) r.push_back(t.substr(0, t.find(' ', t.find(": ") + 2)));
        return r;
    };
    using V = std::vector<std::string>;
    const std::string report_q = "Critical Path: " + path("plan.txt");

    compute("Critical Path");  // Auto stays on
    const V asked{"Critical Path: Level", report_q};
    EXPECT_EQ(first_words(Boxes::questions), asked);
    edit(1, "Start", nullptr);
    EXPECT_EQ(id(1), "Start[ES=0  LC=0]");
    EXPECT_EQ(first_words(Boxes::questions), asked);
    command(CMD_RECOMPUTE);
    V twice = asked;
    twice.insert(twice.end(), asked.begin(), asked.end());
    EXPECT_EQ(first_words(Boxes::questions), twice);

    edit(5, nullptr, "2");
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_NE(Boxes::notes[0].find("(E5)"), std::string::npos) << Boxes::notes[0];
    edit(2, "Second", nullptr);
    EXPECT_EQ(id(2).substr(0, 10), "Second[ES=");
    EXPECT_EQ(Boxes::notes.size(), 1u);
    EXPECT_EQ(first_words(Boxes::questions), twice);
    command(CMD_RECOMPUTE);
    EXPECT_EQ(Boxes::notes.size(), 2u);
    EXPECT_EQ(Boxes::questions.size(), 5u);

    EXPECT_EQ(view_doc().obj(memo)->level, 2);
    std::ifstream in(path("plan.txt"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "my own notes\r\n");
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors.front();
}

TEST_F(IdeasPlan, UndoInAutoModeShowsNoStaleValue) {
    Key a = add("A", 0, 0, "=2");
    Key b = add("B", 200, 0, "=A*3");
    Key t = add("T", 400, 0, "=sum()");
    Link l;
    l.from = a;
    l.to = t;
    view_link_add(l);
    l.from = b;
    view_link_add(l);
    compute("Compute Objects");
    EXPECT_EQ(value(b), "6");
    EXPECT_EQ(value(t), "8");
    const std::string before = saved();

    wt::when_dialog("Object Properties [#" + std::to_string(a) + "]", [&](HWND dlg) {
        SetDlgItemTextA(dlg, IDC_OBJ_ID, "AA2");
        wt::press(dlg, IDOK);
    });
    ctrl_click(a);
    pump(50);
    EXPECT_EQ(id(a), "AA2");
    EXPECT_EQ(Boxes::errors, std::vector<std::string>{"In Variable B, variable A not numeric or not exist"});
    EXPECT_EQ(value(b), "0");
    const std::string renamed = saved();

    ctrl_key('Z');
    EXPECT_EQ(id(a), "A");
    EXPECT_EQ(value(b), "6");
    EXPECT_EQ(value(t), "8");
    EXPECT_EQ(saved(), before);
    ctrl_key('Y');
    EXPECT_EQ(value(b), "0");
    EXPECT_EQ(saved(), renamed);
}

TEST_F(IdeasPlan, DecimalFormatTakesTheUsualFormsAndRefusesOthers) {
    Key a = add("A", 0, 0, "=1234567.891");
    bool refused = false;
    wt::when_dialog("Compute", [&](HWND dlg) {
        SetDlgItemTextA(dlg, IDC_COMPUTE_FORMAT, "8.2x");
        wt::press(dlg, IDOK);
        refused = IsWindow(dlg) && Boxes::notes.size() == 1;
        EXPECT_EQ(GetFocus(), GetDlgItem(dlg, IDC_COMPUTE_FORMAT));
        wt::press(dlg, IDCANCEL);
    });
    command(CMD_COMPUTE);
    EXPECT_TRUE(refused);
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_NE(Boxes::notes[0].find("8.2f"), std::string::npos) << Boxes::notes[0];
    EXPECT_EQ(view_text_param_get(26), "");

    for (const char* f : {"8.2f", ".2f", "%8.2f"}) {
        compute("Compute Objects", f);
        EXPECT_EQ(view_text_param_get(26), f);
        EXPECT_EQ(view_obj_value_text(view_doc(), *view_doc().obj(a)), "A = 1234567.89") << f;
    }
    EXPECT_EQ(value(a), "1234567.891");
    EXPECT_EQ(Boxes::notes.size(), 1u);
}

}  // namespace
