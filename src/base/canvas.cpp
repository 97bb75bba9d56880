#include "base/canvas.h"

#include <cmath>

namespace {
std::vector<int> flat(const std::vector<Pt>& pts) {
    std::vector<int> v;
    v.reserve(pts.size() * 2);
    for (const auto& p : pts) { v.push_back(p.x); v.push_back(p.y); }
    return v;
}
}  // namespace

void RecordingCanvas::set_pen(const Pen& p) { pen = p; calls.push_back({"pen", {p.width, p.style, static_cast<int>(p.colour)}, {}}); }
void RecordingCanvas::set_brush(const Brush& b) { brush = b; calls.push_back({"brush", {b.pattern, static_cast<int>(b.colour)}, {}}); }
void RecordingCanvas::set_font(const Font& f) {
    font = f;
    calls.push_back({"font", {f.height, f.weight, f.italic, f.underline, f.escapement, f.charset}, f.face});
}
void RecordingCanvas::set_text_colour(Colour c) { text_colour = c; calls.push_back({"textcolour", {static_cast<int>(c)}, {}}); }
void RecordingCanvas::set_text_bk(bool opaque, Colour c) { calls.push_back({"textbk", {opaque, static_cast<int>(c)}, {}}); }
void RecordingCanvas::set_mix(int m) { mix = m; calls.push_back({"mix", {m}, {}}); }
void RecordingCanvas::line(Pt a, Pt b) { calls.push_back({"line", {a.x, a.y, b.x, b.y}, {}}); }
void RecordingCanvas::polyline(const std::vector<Pt>& pts) { calls.push_back({"polyline", flat(pts), {}}); }
void RecordingCanvas::polygon(const std::vector<Pt>& pts) { calls.push_back({"polygon", flat(pts), {}}); }
void RecordingCanvas::rectangle(const Rc& r) { calls.push_back({"rectangle", {r.left, r.top, r.right, r.bottom}, {}}); }
void RecordingCanvas::round_rect(const Rc& r, int cw, int ch) {
    calls.push_back({"roundrect", {r.left, r.top, r.right, r.bottom, cw, ch}, {}});
}
void RecordingCanvas::ellipse(const Rc& r) { calls.push_back({"ellipse", {r.left, r.top, r.right, r.bottom}, {}}); }
void RecordingCanvas::arc(const Rc& r, Pt s, Pt e) {
    calls.push_back({"arc", {r.left, r.top, r.right, r.bottom, s.x, s.y, e.x, e.y}, {}});
}
void RecordingCanvas::pie(const Rc& r, Pt s, Pt e) {
    calls.push_back({"pie", {r.left, r.top, r.right, r.bottom, s.x, s.y, e.x, e.y}, {}});
}
void RecordingCanvas::fill_rect(const Rc& r, Colour c) {
    calls.push_back({"fillrect", {r.left, r.top, r.right, r.bottom, static_cast<int>(c)}, {}});
}
void RecordingCanvas::text(Pt at, std::string_view s) { calls.push_back({"text", {at.x, at.y}, std::string(s)}); }
Sz RecordingCanvas::text_extent(std::string_view s) {
    int h = std::abs(font.height);
    return {static_cast<int>(std::lround(static_cast<double>(s.size()) * h * char_width_ratio)), h};
}

void RecordingCanvas::draw_text(const Rc& r, std::string_view s, unsigned flags) {
    calls.push_back({"drawtext", {r.left, r.top, r.right, r.bottom, static_cast<int>(flags)}, std::string(s)});
}
TextMetrics RecordingCanvas::text_metrics() {
    int h = std::abs(font.height);
    return {h - h / 5, h / 5, 0, 0};
}
void RecordingCanvas::draw_dib(const Dib& d, const Rc& dst, uint32_t rop) {
    calls.push_back({"dib", {dst.left, dst.top, dst.right, dst.bottom, static_cast<int>(rop), d.width, d.height}, {}});
}
void RecordingCanvas::draw_metafile(const void*, const Rc& r) {
    calls.push_back({"metafile", {r.left, r.top, r.right, r.bottom}, {}});
}
void RecordingCanvas::draw_icon(const void*, const Rc& r) {
    calls.push_back({"icon", {r.left, r.top, r.right, r.bottom}, {}});
}

std::vector<RecordingCanvas::Call> RecordingCanvas::of(std::string_view op) const {
    std::vector<Call> out;
    for (const auto& c : calls)
        if (c.op == op) out.push_back(c);
    return out;
}
