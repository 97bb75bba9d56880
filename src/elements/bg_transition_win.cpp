#include "elements/bg_transition_win.h"

#include "elements/bg_transition.h"

namespace {

TransitionHooks hooks_;
bool playing_ = false;

// Waits until step i of n is due.
void pace(DWORD start, int i, int n) {
    double elapsed = (GetTickCount() - start) * 0.1;
    if (int wait = transition_wait(i, n, elapsed); wait > 0) Sleep(static_cast<DWORD>(wait) * 10);
}

void black(HDC dc, const Rc& r) {
    RECT rc{r.left, r.top, r.right, r.bottom};
    FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

// Lets the view show each zoom; input that arrives meanwhile is handled as usual.
void run_pending() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            return;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

void zoom_effect(HWND view, const std::vector<int>& zooms, int z0, int span, bool up, DWORD start) {
    if (!hooks_.set_zoom) return;
    for (int z : zooms) {
        pace(start, up ? z - z0 : z0 - z, span);
        hooks_.set_zoom(z);
        run_pending();
        if (!IsWindow(view)) return;
    }
    if (!zooms.empty()) hooks_.set_zoom(z0);
}

void play(HWND view, int effect, DWORD start, int w, int h) {
    HDC dc = GetDC(view);
    if (!dc) return;
    if (effect >= 1 && effect <= 8) {
        StripPlan p = transition_strips(effect, w, h);
        for (int i = 0; i <= p.steps; ++i) {
            pace(start, i, p.steps);
            for (const Rc& r : p.at(i)) black(dc, r);
            GdiFlush();
        }
    } else if (effect == 9) {
        int total = transition_dot_total(w, h);
        auto cells = transition_dot_order(w, h, {});
        for (size_t k = 1; k <= cells.size(); ++k) {
            pace(start, static_cast<int>(2 * k), total);
            const DotCell& c = cells[k - 1];
            black(dc, {20 * c.i, 20 * c.j, 20 * c.i + 20, 20 * c.j + 20});
            GdiFlush();
        }
    } else if (effect >= 11 && effect <= 14) {
        Pt step = transition_scroll_step(effect);
        RECT frame{0, 0, w, h};
        for (int k = 0; k < 3; ++k) {
            FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            InflateRect(&frame, -1, -1);
        }
        int n = w / 2;
        for (int i = 0; i <= n; ++i) {
            pace(start, i, n);
            ScrollWindowEx(view, step.x, step.y, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
        }
    } else if ((effect == 15 || effect == 16) && hooks_.zoom) {
        int z0 = hooks_.zoom();
        ReleaseDC(view, dc);
        if (effect == 16) zoom_effect(view, transition_expand_zooms(z0), z0, 275 - z0, true, start);
        else zoom_effect(view, transition_contract_zooms(z0), z0, z0, false, start);
        return;
    }
    ReleaseDC(view, dc);
}

}  // namespace

void bg_transition_set_hooks(const TransitionHooks& h) { hooks_ = h; }

void bg_transition(HWND view, int effect) {
    if (effect == 0 || !slideshow_effects_on() || !view || playing_) return;
    playing_ = true;  // the zoom effects run pending messages, which may ask for another
    while (effect == 10) effect = slideshow_random_effect();
    RECT rc;
    GetClientRect(view, &rc);
    play(view, effect, GetTickCount(), rc.right, rc.bottom);
    playing_ = false;
}
