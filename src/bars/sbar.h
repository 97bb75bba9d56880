// View position: scroll origin, current level and zoom, and the one command operation through
// which every scroll, level change and zoom goes. Portable; the window side fills SbarHost.
//
// Origin units: one unit of X0/Y0 shifts the window content by screen width / 640 pixels.
// Zoom is kept in percent x 100 (10000 = 100 %).
#pragma once

#include "base/canvas.h"

struct ViewState {
    int x0 = 0, y0 = 0;
    int level = 1;
    int zoom = 100;      // percent (Zoom div 100)
    int zoom100 = 10000; // percent x 100, for smooth mapping
};

// Field codes of sbar_cmd.
enum SbarField : int { kSbarX0 = 0, kSbarY0 = 1, kSbarLevel = 10, kSbarZoom = 11 };
// Command codes beside the field codes.
enum SbarCode : int { kSbarWheel = 12, kSbarDrag = 13 };
// Sub-codes: 1 line up, 2 line down, 3 page up, 4 page down, 5 thumb position, 6 thumb tracking,
// 20 one unit up, 21 one unit down, 22 contract, 23 expand, 24 set absolute value.
enum SbarSub : int {
    kSbLineUp = 1, kSbLineDown = 2, kSbPageUp = 3, kSbPageDown = 4, kSbThumbPos = 5, kSbThumbTrack = 6,
    kSbUnitUp = 20, kSbUnitDown = 21, kSbContract = 22, kSbExpand = 23, kSbSet = 24
};

// What the window side does for a scroll: every call has a harmless default so painters and
// tests can use the view position without windows.
class SbarHost {
public:
    virtual ~SbarHost() = default;
    virtual void repaint_all() {}
    // Invalidates `strip` (client pixels) and shifts the window content by (dx, dy) pixels.
    virtual void scroll_window(const Rc& strip, int dx, int dy) {}
    virtual void set_scroll_pos(int axis, int pos) {}
    // Field 5 (scale, percent) or 8 (level) of the status bar; goes to status_update.
    virtual void status(int field, int value);
    // The user changed the zoom: the document is changed.
    virtual void mark_changed() {}
    virtual int screen_width() const { return 640; }
    virtual Sz client_size() const { return {}; }
    // Windows that draw over the view (floating toolbox, print preview): no pixel shifts then.
    virtual bool windows_force_full_repaint() const { return false; }
};

// The latest scroll action: kind 0 horizontal, 1 vertical, 13 a drag displacement (a, b).
struct SbarLatest {
    int kind = 1, a = 0, b = 20;
    bool operator==(const SbarLatest&) const = default;
};

class ViewPosition {
public:
    static constexpr int kOriginMin = -2000, kOriginMax = 2000;
    static constexpr int kLevelMin = -250, kLevelMax = 250;
    static constexpr int kZoomMin = 100, kZoomMax = 27500;

    explicit ViewPosition(SbarHost* host = nullptr) : host_(host) {}
    void set_host(SbarHost* host) { host_ = host; }

    ViewState state() const;
    int field(int code) const;
    const SbarLatest& latest() const { return latest_; }

    // False when a refused value or an unknown sub-code leaves nothing done.
    bool cmd(int code, int sub, int value);
    bool set_origin(int level, int x, int y);
    // Lower levels drawn below the current one.
    int level_span() const;

private:
    int x0_ = 0, y0_ = 0, level_ = 1, zoom_ = 10000;
    SbarLatest latest_;
    SbarHost* host_;

    SbarHost& host() const;
    // Stores v in field `code`; false when refused (a refused zoom is ignored and succeeds).
    bool store(int code, int v);
    bool scroll_to(int code, int new_value, int delta);
    bool zoom_step(int mul, int div);
    bool full_repaint_needed() const;
};

// The program's one view position.
ViewPosition& sbar_pos();
void sbar_set_host(SbarHost* host);

ViewState sbar_view_state();
bool sbar_cmd(int code, int sub, int value);
bool sbar_set_origin(int level, int x, int y);
int sbar_level_span();

// Pixel strip to repaint for a shift of P pixels on `axis` in a W x H client, and the shift.
struct ScrollStrip {
    Rc strip;
    int dx = 0, dy = 0;
    bool operator==(const ScrollStrip&) const = default;
};
ScrollStrip sbar_scroll_strip(int axis, int p, int w, int h);

// a * b / c rounded to nearest (halves away from zero) with a 64-bit intermediate; 0 when c is 0.
int sbar_muldiv(int a, int b, int c);
