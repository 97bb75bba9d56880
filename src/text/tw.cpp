#include "text/tw.h"

#include <algorithm>

#include "base/util.h"

int32_t tw_pack_geometry(const TwRect& r) {
    auto b = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 2040) / 8); };
    uint32_t g = ((b(r.left) * 256 + b(r.top)) << 16) | (b(r.right) * 256 + b(r.bottom));
    return static_cast<int32_t>(g);
}

TwRect tw_unpack_geometry(int32_t g) {
    uint32_t u = static_cast<uint32_t>(g), hi = u >> 16, lo = u & 0xFFFF;
    return {static_cast<int>(hi / 256 * 8), static_cast<int>(hi % 256 * 8), static_cast<int>(lo / 256 * 8),
            static_cast<int>(lo % 256 * 8)};
}

TwRect tw_place(const TwRect& stored, int obj_x, int obj_y, int def_w, int def_h, int client_w, int client_h) {
    TwRect r = stored;
    if (r == TwRect{}) r = {obj_x - 100, obj_y + 45, obj_x - 100 + def_w, obj_y + 45 + def_h};
    int w = r.right - r.left, h = r.bottom - r.top;
    r.left = util_clamp(r.left, 0, client_w - w);
    r.top = util_clamp(r.top, 30, client_h - h - 20);
    r.right = r.left + w;
    r.bottom = r.top + h;
    return r;
}

std::string tw_status_line(size_t row, size_t col, size_t pos) {
    return "Row=" + std::to_string(row) + "  Col=" + std::to_string(col) + "  Pos=" + std::to_string(pos);
}

int tw_close_rule(bool file_window, bool modified, bool geometry_equal) {
    if (file_window) return modified ? 3 : 1;
    return !modified && geometry_equal ? 2 : 4;
}

bool tw_needs_recompute(std::string_view text) {
    return (!text.empty() && text.front() == '=') || util_str_to_int(text).has_value();
}

std::vector<std::string> tw_promote_lines(std::string_view selection) { return util_split_fields(selection, '\n'); }
