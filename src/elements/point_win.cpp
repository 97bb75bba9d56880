#include "elements/point_win.h"

#include <string>
#include <vector>

#include "base/dlg_win.h"
#include "base/error.h"
#include "base/globals_win.h"
#include "base/palette.h"
#include "base/settings.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "document/doc_util.h"
#include "document/undo.h"
#include "document/view.h"
#include "document/view_io.h"
#include "elements/point.h"
#include "resources/shapes_ids.h"

namespace {

PointHooks hooks_;

HINSTANCE inst() { return app_inst_ ? app_inst_ : GetModuleHandleA(nullptr); }
int current_level() { return hooks_.current_level ? hooks_.current_level() : 1; }

std::optional<int32_t> edit_int(HWND win, int id) { return util_str_to_int(dlg_get_text(win, id)); }

void combo_add(HWND win, int id, const std::string& s) {
    SendDlgItemMessageA(win, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
}
int combo_pos(HWND win, int id) { return static_cast<int>(SendDlgItemMessageA(win, id, CB_GETCURSEL, 0, 0)); }

std::optional<Key> selected_key(HWND win, int id) {
    int pos = combo_pos(win, id);
    if (pos < 0) return std::nullopt;
    char buf[300] = {};
    if (SendDlgItemMessageA(win, id, CB_GETLBTEXTLEN, pos, 0) >= static_cast<LRESULT>(sizeof buf)) return std::nullopt;
    SendDlgItemMessageA(win, id, CB_GETLBTEXT, pos, reinterpret_cast<LPARAM>(buf));
    return point_variable_key(buf);
}

// ---- Plot Points

const std::vector<int> kPlotDefault = PlotSetting{}.list();

void plot_init(HWND win) {
    dlg_on_create(win, IDD_PLOT, 0);
    PlotSetting s = point_plot_setting(file_setting_get_list("Plot", kPlotDefault));
    SetDlgItemInt(win, IDC_PLOT_N, static_cast<UINT>(s.n), TRUE);
    for (const auto& e : point_variables(view_doc())) {
        combo_add(win, IDC_PLOT_XVAR, e);
        combo_add(win, IDC_PLOT_YVAR, e);
    }
    SendDlgItemMessageA(win, IDC_PLOT_XVAR, CB_SETCURSEL, s.x_pos, 0);
    SendDlgItemMessageA(win, IDC_PLOT_YVAR, CB_SETCURSEL, s.y_pos, 0);
    SetDlgItemInt(win, IDC_PLOT_XFROM, static_cast<UINT>(s.x_from), TRUE);
    SetDlgItemInt(win, IDC_PLOT_XTO, static_cast<UINT>(s.x_to), TRUE);
    SetDlgItemInt(win, IDC_PLOT_YFROM, static_cast<UINT>(s.y_from), TRUE);
    SetDlgItemInt(win, IDC_PLOT_YTO, static_cast<UINT>(s.y_to), TRUE);
}

// A long plot shows how far it is in the caption and stops on Cancel; until then every other
// command of the dialog waits.
struct PlotRun {
    HWND win;
    int64_t n;
    DWORD start = GetTickCount(), last = start;
    bool shown = false, stop = false;
};
PlotRun* run_ = nullptr;

bool plot_go_on(int64_t j) {
    PlotRun& r = *run_;
    const DWORD now = GetTickCount();
    if (now - r.last < 50) return true;
    r.last = now;
    if (!r.shown && now - r.start >= 300) {
        r.shown = true;
        // Plot usually has the focus; a disabled focus would leave Escape with nowhere to go.
        SendMessageA(r.win, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(r.win, IDCANCEL)), TRUE);
        EnableWindow(GetDlgItem(r.win, IDOK), FALSE);
    }
    if (r.shown) {
        std::string caption = "Plot Points " + std::to_string(j * 100 / r.n) + "%";
        SetWindowTextA(r.win, caption.c_str());
    }
    MSG m;
    while (!r.stop && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            r.stop = true;
        } else if (!IsDialogMessageA(r.win, &m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    if (!IsWindow(r.win)) r.stop = true;
    return !r.stop;
}

// Runs the plot with progress; nullopt when it gave no points (first evaluation failed) or was
// stopped (`stopped` says which).
std::optional<std::vector<Pt>> plot_run(HWND win, const PlotRange& range, const PlotEval& x, const PlotEval& y,
                                        bool* stopped) {
    const PointCalc& calc = point_calc();
    PlotRun run{win, range.n};
    calc.eval("Reset~", 0);
    if (calc.batch) calc.batch(true);
    run_ = &run;
    struct End {
        ~End() {
            run_ = nullptr;
            if (point_calc().batch) point_calc().batch(false);
        }
    } end;
    auto pts = point_plot_values(range, x, y, plot_go_on);
    if (run.shown && IsWindow(win)) {
        SetWindowTextA(win, "Plot Points");
        EnableWindow(GetDlgItem(win, IDOK), TRUE);
        SendMessageA(win, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(win, IDOK)), TRUE);
    }
    *stopped = run.stop;
    return pts;
}

bool plot_apply(HWND win) {
    auto n = edit_int(win, IDC_PLOT_N);
    auto xf = edit_int(win, IDC_PLOT_XFROM), xt = edit_int(win, IDC_PLOT_XTO);
    auto yf = edit_int(win, IDC_PLOT_YFROM), yt = edit_int(win, IDC_PLOT_YTO);
    if (!n || !xf || !xt || !yf || !yt) {
        msg_note("The number of points and the ranges must be whole numbers.");
        return false;
    }
    if (*n < 1 || *n > kPlotMaxN) {
        msg_note("The number of points must be from 1 to " + std::to_string(kPlotMaxN) + ".");
        return false;
    }
    auto xk = selected_key(win, IDC_PLOT_XVAR), yk = selected_key(win, IDC_PLOT_YVAR);
    auto xtext = xk ? view_obj_ext(*xk) : std::nullopt, ytext = yk ? view_obj_ext(*yk) : std::nullopt;
    if (!xtext || !ytext) {
        msg_note("Choose the objects whose formulas give X and Y.");
        return false;
    }
    const PointCalc& calc = point_calc();
    if (!calc.eval) {
        msg_note("The calculator is not available.");
        return false;
    }
    const int level = current_level();
    const IndexColour colour = view_new_item_colour();
    const int style = view_tools_now().point;

    auto value = [&](const std::string& text, Key key) {
        return [&text, key, &calc](int64_t j) {
            point_set_current_j(j);
            return calc.eval(text, key);
        };
    };
    // The points are worked out before anything is stored: a stopped plot leaves the document
    // as it was.
    bool stopped = false;
    auto pts = plot_run(win, {*n, *xf, *xt, *yf, *yt}, value(*xtext, *xk), value(*ytext, *yk), &stopped);
    if (stopped) return false;
    UndoStep step;
    if (dlg_is_checked(win, IDC_PLOT_FRAME)) {
        Shape frame;
        frame.kind = 1;
        frame.level = level;
        frame.colour_curve = colour.index & 0xFF;
        frame.left = *xf, frame.top = *yt, frame.right = *xt, frame.bottom = *yf;
        view_shape_put(frame);
    }
    if (pts) {
        // A plot whose values all fell outside the ranges leaves the document as it was.
        if (!pts->empty()) {
            auto& v = view_doc().points;
            v.reserve(v.size() + pts->size());
            for (Pt p : *pts) v.push_back({style, level, p.x, p.y, static_cast<int32_t>(colour.colour)});
            view_mark_changed();
        }
        PlotSetting s{combo_pos(win, IDC_PLOT_XVAR), combo_pos(win, IDC_PLOT_YVAR), *n, *xf, *xt, *yf, *yt};
        file_setting_set_list("Plot", s.list());
    }
    step.commit("Plot Points");
    view_repaint();
    // The calculator has said what went wrong; the choices stay for another try.
    return pts.has_value();
}

// ---- Clear Points

void clear_init(HWND win) {
    dlg_on_create(win, IDD_CLEAR_POINTS, 0);
    CheckRadioButton(win, IDC_CLEAR_ALL_SHAPES, IDC_CLEAR_CUR_SHAPE, IDC_CLEAR_ALL_SHAPES);
    CheckRadioButton(win, IDC_CLEAR_ALL_COLOURS, IDC_CLEAR_CUR_COLOUR, IDC_CLEAR_ALL_COLOURS);
}

bool clear_apply(HWND win) {
    int style = dlg_is_checked(win, IDC_CLEAR_CUR_SHAPE) ? view_tools_now().point : 0;
    int colour_filter = dlg_is_checked(win, IDC_CLEAR_CUR_COLOUR) ? 1 : 0;
    UndoStep step;
    view_clear_points(style, colour_filter, static_cast<int32_t>(tbar_current_color().colour));
    step.commit("Clear Points");
    view_repaint();
    return true;
}

// ---- Point Properties

struct PointAt {
    int level = 0, x = 0, y = 0;
};

const PlotPoint* find_point(const PointAt& at) {
    for (const auto& p : view_doc().points)
        if (p.level == at.level && p.x == at.x && p.y == at.y) return &p;
    return nullptr;
}

void point_init(HWND win, LPARAM lp) {
    const PointAt& at = dlg_keep_state<PointAt>(win, lp);
    dlg_on_create(win, IDD_POINT_PROPS, 0);
    const PlotPoint* p = find_point(at);
    for (const auto& st : point_styles()) combo_add(win, IDC_POINT_STYLE, st.name);
    SendDlgItemMessageA(win, IDC_POINT_STYLE, CB_SETCURSEL, p ? point_style_pos(p->style) : -1, 0);
    SetDlgItemInt(win, IDC_POINT_X, static_cast<UINT>(at.x), TRUE);
    SetDlgItemInt(win, IDC_POINT_Y, static_cast<UINT>(at.y), TRUE);
}

bool point_apply(HWND win) {
    auto x = edit_int(win, IDC_POINT_X), y = edit_int(win, IDC_POINT_Y);
    if (!x || !y) {
        msg_note("X and Y must be whole numbers.");
        return false;
    }
    const PointAt& at = *dlg_state<PointAt>(win);
    const PlotPoint* p = find_point(at);
    if (!p) return true;
    int pos = combo_pos(win, IDC_POINT_STYLE);
    int style = pos >= 0 ? point_styles()[static_cast<size_t>(pos)].code : p->style;
    if (style == p->style && *x == p->x && *y == p->y) return true;
    UndoStep step;
    if (auto old = view_point_remove(at.level, at.x, at.y)) view_point_add(at.level, *x, *y, style, old->colour);
    step.commit("Change Point");
    view_repaint();
    return true;
}

}  // namespace

void point_set_hooks(const PointHooks& hooks) { hooks_ = hooks; }

INT_PTR CALLBACK dlg_plot_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: plot_init(win); return TRUE;
    case WM_COMMAND:
        if (run_ && run_->win == win) {
            if (LOWORD(wp) == IDCANCEL) run_->stop = true;
            return TRUE;
        }
        switch (LOWORD(wp)) {
        case IDC_PLOT_CLEAR: point_clear(win); return TRUE;
        case IDC_PLOT_HELP:
            if (hooks_.help_context) hooks_.help_context(140);
            return TRUE;
        default:
            if (dlg_ok_cancel(win, wp, plot_apply)) return TRUE;
            break;
        }
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_PLOT, 0); break;
    default: break;
    }
    return FALSE;
}

INT_PTR CALLBACK dlg_clear_points_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: clear_init(win); return TRUE;
    case WM_COMMAND:
        if (dlg_ok_cancel(win, wp, clear_apply)) return TRUE;
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_CLEAR_POINTS, 0); break;
    default: break;
    }
    return FALSE;
}

INT_PTR CALLBACK dlg_point_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: point_init(win, lp); return TRUE;
    case WM_COMMAND:
        if (dlg_state<PointAt>(win) && dlg_ok_cancel(win, wp, point_apply)) return TRUE;
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_POINT_PROPS, 0); break;
    default: break;
    }
    return FALSE;
}

void point_plot(HWND parent) {
    DialogBoxParamA(inst(), MAKEINTRESOURCEA(IDD_PLOT), parent, trap_dlg<dlg_plot_eh>, 0);
}

void point_clear(HWND parent) {
    DialogBoxParamA(inst(), MAKEINTRESOURCEA(IDD_CLEAR_POINTS), parent, trap_dlg<dlg_clear_points_eh>, 0);
}

bool point_properties(HWND parent, int x, int y) {
    PointAt at{current_level(), x, y};
    if (!find_point(at)) return false;
    DialogBoxParamA(inst(), MAKEINTRESOURCEA(IDD_POINT_PROPS), parent, trap_dlg<dlg_point_eh>, dlg_state_param(at));
    return true;
}
