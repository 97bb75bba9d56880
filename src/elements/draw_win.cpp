#include "elements/draw_win.h"

#include <commdlg.h>

#include "base/globals_win.h"
#include "document/view.h"
#include "elements/canvas_win.h"
#include "elements/obj_paint.h"

namespace {
void (*view_mapping_)(HDC) = nullptr;

// Runs f on a DC of the view window carrying the diagram mapping.
template <class F>
auto with_view_dc(F f) -> decltype(f(HDC{})) {
    if (!view_inst_ || !IsWindow(view_inst_)) return std::nullopt;
    HDC dc = GetDC(view_inst_);
    if (!dc) return std::nullopt;
    int s = SaveDC(dc);
    if (view_mapping_) view_mapping_(dc);
    auto r = f(dc);
    RestoreDC(dc, s);
    ReleaseDC(view_inst_, dc);
    return r;
}
}  // namespace

void draw_set_view_mapping(void (*apply)(HDC)) { view_mapping_ = apply; }

std::optional<Pt> draw_lp_to_dp_x(Pt p) {
    return with_view_dc([&](HDC dc) -> std::optional<Pt> {
        POINT q{p.x, p.y};
        if (!LPtoDP(dc, &q, 1)) return std::nullopt;
        return Pt{q.x, q.y};
    });
}

std::optional<Pt> draw_dp_to_lp_x(Pt p) {
    return with_view_dc([&](HDC dc) -> std::optional<Pt> {
        POINT q{p.x, p.y};
        if (!DPtoLP(dc, &q, 1)) return std::nullopt;
        return Pt{q.x, q.y};
    });
}

std::optional<Rc> draw_lp_to_dp_rect(const Rc& r) {
    auto a = draw_lp_to_dp_x({r.left, r.top});
    auto b = draw_lp_to_dp_x({r.right, r.bottom});
    if (!a || !b) return std::nullopt;
    return Rc{a->x, a->y, b->x, b->y};
}

void draw_open_effect(Pt p, const Rc& r, int direction) {
    if (!main_inst_) return;
    HDC dc = GetDC(main_inst_);
    if (!dc) return;
    {
        GdiCanvas c(dc);
        Pt lp = c.dp_to_lp(p);
        c.set_mix(kMixInvert);
        c.set_brush({1, 0xFFFFFF});
        for (const Rc& f : draw_open_effect_frames(lp, r, direction)) {
            c.rectangle(f);
            GdiFlush();
            Sleep(20);
            c.rectangle(f);
        }
        c.set_mix(kMixCopyPen);
    }
    ReleaseDC(main_inst_, dc);
}

namespace {

bool (*printer_page_hook_)(int& px, int& py) = nullptr;

// The page size of the default printer, in its pixels; false when there is no printer.
bool printer_page(int& px, int& py) {
    if (printer_page_hook_) return printer_page_hook_(px, py);
    static int cx = -1, cy = -1;
    if (cx < 0) {
        cx = cy = 0;
        PRINTDLGA pd{};
        pd.lStructSize = sizeof pd;
        pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
        if (PrintDlgA(&pd) && pd.hDC) {
            cx = GetDeviceCaps(pd.hDC, HORZRES);
            cy = GetDeviceCaps(pd.hDC, VERTRES);
            DeleteDC(pd.hDC);
        }
        if (pd.hDevMode) GlobalFree(pd.hDevMode);
        if (pd.hDevNames) GlobalFree(pd.hDevNames);
    }
    px = cx;
    py = cy;
    return cx > 0 && cy > 0;
}

int parts_choice(HWND dlg) {
    HWND list = GetDlgItem(dlg, 10393);
    if (!list) return 0;
    LRESULT s = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (s == CB_ERR) s = SendMessageA(list, LB_GETCURSEL, 0, 0);
    return s < 0 ? 0 : static_cast<int>(s);
}

}  // namespace

void draw_set_printer_page_hook(bool (*page)(int& px, int& py)) { printer_page_hook_ = page; }

bool draw_printer_page(int& px, int& py) { return printer_page(px, py); }

PreviewMapping draw_preview_mapping(HDC dc, int mode) {
    PreviewMapping out;
    HWND dlg = mode == 1 ? dlg_find_modeless(10380) : nullptr;
    int px = 0, py = 0;
    // A page without width is as unusable as one without height.
    if (!dlg || !printer_page(px, py)) return out;
    int s = parts_choice(dlg);
    RECT cl{};
    GetClientRect(view_inst_, &cl);
    SIZE vext;
    GetViewportExtEx(dc, &vext);
    int saved = SaveDC(dc);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 500, 500, nullptr);
    SetViewportExtEx(dc, vext.cx, vext.cy, nullptr);
    SetViewportOrgEx(dc, cl.right / 2, cl.bottom / 2, nullptr);
    PreviewFrame f = draw_preview_frame(px, py, s);
    POINT corners[2] = {{f.frame.left, f.frame.top}, {f.frame.right, f.frame.bottom}};
    {
        GdiCanvas c(dc);
        Colour colour = IsDlgButtonChecked(dlg, 10382) == BST_CHECKED
                            ? 0
                            : obj_palette_colour(15 - (view_doc().shown_param(1) % 16 + 16) % 16);
        c.set_pen({0, 2, colour});
        c.set_brush({1, 0xFFFFFF});
        c.rectangle(f.frame);
        for (const auto& d : f.dividers) c.line(d.first, d.second);
        LPtoDP(dc, corners, 2);
    }
    RestoreDC(dc, saved);
    DPtoLP(dc, corners, 2);
    out.frame = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    out.parts_x = f.parts_x;
    out.parts_y = f.parts_y;
    return out;
}
