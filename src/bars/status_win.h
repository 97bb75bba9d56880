// The status bar window "Status" along the bottom of the main window.
#pragma once

#include <windows.h>

// The message ticker draws into the Message field and owns the Pause/Resume state; until it
// is set the Message field stays empty.
class StatusTicker {
public:
    virtual ~StatusTicker() = default;
    // The bar's window exists: start the first timer.
    virtual void created(HWND bar) {}
    virtual void timer(HWND bar, UINT_PTR id) {}
    virtual void draw(HDC dc, const RECT& area) {}
    virtual bool paused() const { return false; }
    virtual void pause() {}
    virtual void resume() {}
    // A click on the Message field.
    virtual void show_detail() {}
};
void status_set_ticker(StatusTicker* t);

HWND status_create(HWND parent);
// Places the bar from the main window's client area and the toolbar's side.
void status_layout();
void status_draw_field(int field);
LRESULT CALLBACK win_status_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);
