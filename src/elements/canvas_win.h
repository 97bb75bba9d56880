// The drawing layer over a GDI device context: the screen, a printer or a memory bitmap.
// The canvas creates the pens, brushes and fonts it is asked for, keeps them while it lives and
// deletes them in its destructor after putting back what the DC held before, so repaints never
// grow the process's GDI handles. Make one per paint (or per printed page).
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/canvas.h"

struct ObjRectFigure;
struct ObjRoundFigure;

class GdiCanvas : public Canvas {
public:
    explicit GdiCanvas(HDC dc, bool printer = false);
    ~GdiCanvas() override;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    // The DC with everything asked for so far selected and drawn, for callers that go on with
    // GDI directly.
    HDC dc() {
        sync_all();
        return dc_;
    }

    // Runs of lines drawn with one pen go to GDI as one PolyPolyline, which draws them one by
    // one as separate calls would, and small rectangles that cover no pixel are left out: the
    // picture is the same, a paint of thousands of objects makes far fewer calls. For owners that draw through the canvas alone, or call flush()
    // before drawing on the DC themselves and mapping_changed() after changing its mapping.
    void set_batching(bool on);
    // While batching, thin solid lines along an axis and rectangles with a thin solid pen, in
    // copy mix, are written straight into `bits`, the 32-bit top-down DIB section selected in
    // the DC (w pixels a row), inside `clip`: the pixels GDI would set, without a call each.
    void set_raster(uint32_t* bits, int w, int h, const RECT& clip);
    void flush();
    void mapping_changed();
    // A figure's steps (thin solid lines along an axis, thin-pen rectangles filled with `brush`)
    // written into the raster as drawing them one by one would set its pixels; false, with
    // nothing drawn, when there is no raster or a step needs GDI.
    bool raster_figure(const ObjRectFigure& f, const Brush& brush);
    // An ellipse or polygon a few pixels across, with thin pens: the pixels GDI sets for a
    // figure of its shape at that size, learnt from GDI once and then copied into the raster;
    // false, with nothing drawn, when there is no raster or the figure is larger.
    bool raster_round(const ObjRoundFigure& f, const Brush& brush);

    void set_pen(const Pen& p) override;
    void set_brush(const Brush& b) override;
    void set_font(const Font& f) override;
    void set_text_colour(Colour c) override;
    void set_text_bk(bool opaque, Colour c) override;
    void set_mix(int mix) override;

    void line(Pt a, Pt b) override;
    void polyline(const std::vector<Pt>& pts) override;
    void polygon(const std::vector<Pt>& pts) override;
    void rectangle(const Rc& r) override;
    void round_rect(const Rc& r, int corner_w, int corner_h) override;
    void ellipse(const Rc& r) override;
    void arc(const Rc& r, Pt start, Pt end) override;
    void pie(const Rc& r, Pt start, Pt end) override;
    void fill_rect(const Rc& r, Colour c) override;
    void text(Pt at, std::string_view s) override;
    Sz text_extent(std::string_view s) override;
    void draw_text(const Rc& r, std::string_view s, unsigned flags) override;
    TextMetrics text_metrics() override;
    Font current_font() const override { return font_; }
    Brush current_brush() const override { return brush_; }
    Pen current_pen() const override { return pen_; }
    bool visible(const Rc& r) const override;
    Pt lp_to_dp(Pt p) const override;
    Pt dp_to_lp(Pt p) const override;
    void draw_dib(const Dib& d, const Rc& dst, uint32_t rop) override;
    void draw_metafile(const void* emf, const Rc& device_dst) override;
    void draw_icon(const void* icon, const Rc& dst) override;
    double units_per_pixel() const override;
    bool printing() const override { return printer_; }

    // Number of GDI objects the canvas holds now (pens, brushes, fonts).
    size_t held_objects() const { return pens_.size() + brushes_.size() + fonts_.size(); }
    // GDI objects made by canvases and not yet deleted, over all canvases.
    static long live_objects();

private:
    HBRUSH solid_brush(Colour c);
    void read_selection();
    void trim();
    // Pen, brush, colours and mix are set on the DC when something is drawn with them, so that
    // what a painter sets and sets again before drawing costs no call.
    void sync_all();
    void apply_pen(const Pen& p);
    void apply_brush(const Brush& b);
    void apply_state(const Pen* pen, const Brush* brush, int mix, int bk_mode, Colour bk_colour);
    void queue(int kind, const int (&v)[8], const Pt* pts, size_t n);
    void soft_begin();
    // Clip false: the caller knows the pixels lie in the clip area.
    template <bool Clip = true>
    void soft_fill(int l, int t, int r, int b, uint32_t px);
    bool raster_lines(const Pt* pts, size_t n);
    bool raster_rect(const int (&v)[8]);
    template <bool Clip = true>
    void soft_lines(const POINT* d, size_t m, uint32_t px);
    template <bool Clip = true>
    void soft_rect(int l, int t, int r, int b, Colour pen, const Brush& brush);
    // A point as GDI maps it, from the mapping read_mapping() took.
    static int to_device(int v, double scale, double offset);
    int dev_x(int x) const { return to_device(x, map_[0], map_[2]); }
    int dev_y(int y) const { return to_device(y, map_[1], map_[3]); }
    void draw_one(int kind, const int (&v)[8], const Pt* pts, size_t n);

    HDC dc_;
    bool printer_;
    bool y_up_ = false;  // logical y grows upward on the device
    int saved_ = 0;
    // What is selected now; read from the DC at the start so that painters can keep and put
    // back what their caller selected.
    Pen pen_;
    Brush brush_;
    Font font_;
    // What this canvas selected and set last: asking again costs no call (a paint of thousands
    // of objects sets the same pen, brush and font over and over).
    HGDIOBJ sel_pen_ = nullptr, sel_brush_ = nullptr, sel_font_ = nullptr;
    bool pen_set_ = false, brush_set_ = false;  // by the painter, since the canvas was made
    Pen sel_pen_value_;
    Brush sel_brush_value_;
    Colour want_text_colour_ = 0xFFFFFFFF;
    Colour text_colour_ = 0xFFFFFFFF, bk_colour_ = 0xFFFFFFFF;
    int want_mix_ = kMixCopyPen, mix_ = kMixCopyPen;
    int want_bk_mode_ = 0;
    Colour want_bk_colour_ = 0;
    bool batch_ = false;
    uint32_t* raster_ = nullptr;
    int raster_w_ = 0;
    RECT raster_clip_{};
    bool soft_ = false;  // the canvas wrote to the bits last, not GDI
    std::vector<POINT> lines_;   // lines not yet drawn, and what they are drawn with
    std::vector<DWORD> counts_;
    Pen pending_pen_;
    int pending_mix_ = 0, pending_bk_mode_ = 0;
    Colour pending_bk_colour_ = 0;
    void read_mapping();
    double measured_units_per_pixel() const;
    double pixels_per_unit_ = -1;  // while batching; -1 until read
    int thin_width_ = 0;            // the widest pen thinner than a pixel, read with it
    double map_[4] = {1, 1, 0, 0};  // x and y scale, x and y offset, read with pixels_per_unit_
    Colour dc_pen_colour_ = 0, dc_brush_colour_ = 0;
    int bk_mode_ = -1;
    std::vector<std::pair<Pen, HPEN>> pens_;
    std::vector<std::pair<Brush, HBRUSH>> brushes_;
    std::vector<std::pair<Font, HFONT>> fonts_;
    // Text extents measured in this paint, by font handle and text.
    std::unordered_map<std::string, Sz> extents_;
    HFONT extents_font_ = nullptr;
};
