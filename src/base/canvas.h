// The drawing layer every painter draws through: pens, brushes, fonts and mix modes as the
// diagram's painters think of them. One implementation draws with GDI (screen, printer, memory
// bitmap); the recording one keeps the calls so painting rules are tested without windows.
// Coordinates are the caller's logical units (diagram units with y upward on the view).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using Colour = uint32_t;  // 0x00BBGGRR

struct Pt {
    int x = 0, y = 0;
    bool operator==(const Pt&) const = default;
};

struct Rc {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rc&) const = default;
};

struct Sz {
    int cx = 0, cy = 0;
    bool operator==(const Sz&) const = default;
};

// Pen styles: 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 null.
struct Pen {
    int width = 1;
    int style = 0;
    Colour colour = 0;
    bool operator==(const Pen&) const = default;
};

// Brush patterns: 1 hollow, 2 solid, 3-8 horizontal, vertical, forward diagonal, backward
// diagonal, cross and diagonal-cross hatches.
struct Brush {
    int pattern = 2;
    Colour colour = 0xFFFFFF;
    bool operator==(const Brush&) const = default;
};

struct Font {
    std::string face = "Arial";
    int height = 12;        // character height in logical units
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    int escapement = 0;     // tenths of a degree, counter-clockwise
    int charset = 0;        // 2 = symbol
    bool operator==(const Font&) const = default;
};

// Raster mix codes of the painters: the platform's codes minus 1.
enum Mix : int { kMixInvert = 5, kMixXorPen = 6, kMixCopyPen = 12 };

// Flags of draw_text: the platform's DT_ values, so the GDI side passes them through.
enum TextFlags : unsigned {
    kDtLeft = 0x0, kDtCenter = 0x1, kDtVCenter = 0x4, kDtWordBreak = 0x10,
    kDtSingleLine = 0x20, kDtNoClip = 0x100, kDtNoPrefix = 0x800,
};

struct TextMetrics {
    int ascent = 0, descent = 0, internal_leading = 0, external_leading = 0;
};

// Ternary raster operation that copies the source bitmap.
constexpr uint32_t kRopSrcCopy = 0x00CC0020;

// A device-independent bitmap in memory in its packed form: the 40-byte info header, the colour
// table, then the pixel rows. Icons and pictures travel to the canvas in this form.
struct Dib {
    int width = 0, height = 0;
    std::vector<uint8_t> packed;
    bool empty() const { return width <= 0 || packed.empty(); }
};

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void set_pen(const Pen& p) = 0;
    virtual void set_brush(const Brush& b) = 0;
    virtual void set_font(const Font& f) = 0;
    virtual void set_text_colour(Colour c) = 0;
    // Text background: transparent, or opaque in colour c.
    virtual void set_text_bk(bool opaque, Colour c) = 0;
    virtual void set_mix(int mix) = 0;

    virtual void line(Pt a, Pt b) = 0;
    virtual void polyline(const std::vector<Pt>& pts) = 0;
    virtual void polygon(const std::vector<Pt>& pts) = 0;
    virtual void rectangle(const Rc& r) = 0;
    virtual void round_rect(const Rc& r, int corner_w, int corner_h) = 0;
    virtual void ellipse(const Rc& r) = 0;
    // Counter-clockwise arc (in device space) of the ellipse in r from the ray to `start`
    // to the ray to `end`, as GDI draws it.
    virtual void arc(const Rc& r, Pt start, Pt end) = 0;
    virtual void pie(const Rc& r, Pt start, Pt end) = 0;
    virtual void fill_rect(const Rc& r, Colour c) = 0;
    // Text with `at` as the top-left corner of its first character cell (TA_LEFT | TA_TOP),
    // drawn along the font's escapement; nothing else moves.
    virtual void text(Pt at, std::string_view s) = 0;
    // Size of s in the current font, in logical units (cx along the baseline).
    virtual Sz text_extent(std::string_view s) = 0;

    // Text laid out in a rectangle (L, T, R, B; T above B on a y-up view) with kDt flags.
    virtual void draw_text(const Rc& r, std::string_view s, unsigned flags) { text({r.left, r.top}, s); }
    // Metrics of the current font, in logical units.
    virtual TextMetrics text_metrics() {
        int h = text_extent("X").cy;
        return {h - h / 5, h / 5, 0, 0};
    }
    virtual Font current_font() const { return {}; }
    virtual Brush current_brush() const { return {}; }
    virtual Pen current_pen() const { return {}; }
    // False when nothing drawn inside r (logical units) could show: painters may skip it.
    virtual bool visible(const Rc& r) const { return true; }

    // Conversion between the canvas's logical units and its device pixels.
    virtual Pt lp_to_dp(Pt p) const { return p; }
    virtual Pt dp_to_lp(Pt p) const { return p; }

    // The whole bitmap stretched into dst (logical units, upright on a y-up view) with a
    // ternary raster operation.
    virtual void draw_dib(const Dib& d, const Rc& dst, uint32_t rop) {}
    // An enhanced metafile (platform handle) played into a rectangle in device pixels.
    virtual void draw_metafile(const void* emf, const Rc& device_dst) {}
    // An icon (platform handle) drawn into dst (logical units).
    virtual void draw_icon(const void* icon, const Rc& dst) {}

    // Logical units per device pixel along x (1 at 100 %); painters size handles with it.
    virtual double units_per_pixel() const { return 1.0; }
    // True when drawing for a printer rather than the screen.
    virtual bool printing() const { return false; }
};

// Draws nothing: a base for canvases that only measure or only keep geometry.
class NullCanvas : public Canvas {
public:
    void set_pen(const Pen&) override {}
    void set_brush(const Brush&) override {}
    void set_font(const Font&) override {}
    void set_text_colour(Colour) override {}
    void set_text_bk(bool, Colour) override {}
    void set_mix(int) override {}
    void line(Pt, Pt) override {}
    void polyline(const std::vector<Pt>&) override {}
    void polygon(const std::vector<Pt>&) override {}
    void rectangle(const Rc&) override {}
    void round_rect(const Rc&, int, int) override {}
    void ellipse(const Rc&) override {}
    void arc(const Rc&, Pt, Pt) override {}
    void pie(const Rc&, Pt, Pt) override {}
    void fill_rect(const Rc&, Colour) override {}
    void text(Pt, std::string_view) override {}
    Sz text_extent(std::string_view) override { return {}; }
    void draw_text(const Rc&, std::string_view, unsigned) override {}
};

// Keeps every call as a line of text; text extents are a fixed-pitch estimate so geometry tests
// don't depend on fonts.
class RecordingCanvas : public Canvas {
public:
    struct Call {
        std::string op;
        std::vector<int> args;
        std::string text;
    };
    std::vector<Call> calls;
    Pen pen;
    Brush brush;
    Font font;
    Colour text_colour = 0;
    int mix = kMixCopyPen;
    double char_width_ratio = 0.5;  // estimated character width as a share of the height
    double upp = 1.0;
    bool is_printer = false;

    void set_pen(const Pen& p) override;
    void set_brush(const Brush& b) override;
    void set_font(const Font& f) override;
    void set_text_colour(Colour c) override;
    void set_text_bk(bool opaque, Colour c) override;
    void set_mix(int m) override;
    void line(Pt a, Pt b) override;
    void polyline(const std::vector<Pt>& pts) override;
    void polygon(const std::vector<Pt>& pts) override;
    void rectangle(const Rc& r) override;
    void round_rect(const Rc& r, int cw, int ch) override;
    void ellipse(const Rc& r) override;
    void arc(const Rc& r, Pt start, Pt end) override;
    void pie(const Rc& r, Pt start, Pt end) override;
    void fill_rect(const Rc& r, Colour c) override;
    void text(Pt at, std::string_view s) override;
    Sz text_extent(std::string_view s) override;
    void draw_text(const Rc& r, std::string_view s, unsigned flags) override;
    TextMetrics text_metrics() override;
    Font current_font() const override { return font; }
    Brush current_brush() const override { return brush; }
    Pen current_pen() const override { return pen; }
    void draw_dib(const Dib& d, const Rc& dst, uint32_t rop) override;
    void draw_metafile(const void* emf, const Rc& device_dst) override;
    void draw_icon(const void* icon, const Rc& dst) override;
    double units_per_pixel() const override { return upp; }
    bool printing() const override { return is_printer; }

    // Calls whose op equals `op`, in order.
    std::vector<Call> of(std::string_view op) const;
};
