#include "services/pictbrowse.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

int floor_div(int a, int b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

std::string ext_pattern(std::string_view name) {
    size_t dot = name.rfind('.');
    size_t slash = name.find_last_of("\\/:");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && slash > dot)) return {};
    return "*" + gbrows_lower(name.substr(dot));
}

}  // namespace

const std::vector<std::string>& gbrows_supported_ext() {
    static const std::vector<std::string> v = {"*.bmp", "*.gif", "*.ico", "*.jpe", "*.jpeg", "*.jpg",
                                               "*.pcx", "*.png", "*.tif", "*.tiff", "*.wmf"};
    return v;
}

std::string gbrows_lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string gbrows_trim_slashes(std::string_view dir) {
    while (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.remove_suffix(1);
    return std::string(dir);
}

int gbrows_initial_ext_index(std::string_view filter, std::string_view default_file) {
    const std::string pattern = "*" + std::string(filter);
    if (pattern == "*.*") return 0;
    const auto& ext = gbrows_supported_ext();
    auto find = [&](const std::string& p) -> int {
        for (size_t i = 0; i < ext.size(); ++i)
            if (ext[i] == p) return int(i) + 1;
        return 0;
    };
    if (int i = find(gbrows_lower(pattern))) return i;
    return find(ext_pattern(default_file));
}

bool gbrows_is_supported(std::string_view name) {
    const std::string p = ext_pattern(name);
    const auto& ext = gbrows_supported_ext();
    return !p.empty() && std::find(ext.begin(), ext.end(), p) != ext.end();
}

std::vector<std::string> gbrows_path_components(std::string_view dir) {
    std::string d = gbrows_trim_slashes(dir);
    std::vector<std::string> out;
    size_t at = 0;
    if (d.size() >= 2 && std::isalpha(static_cast<unsigned char>(d[0])) && d[1] == ':') {
        out.push_back(d.substr(0, 2));
        at = 2;
    } else if (d.size() > 2 && d[0] == '\\' && d[1] == '\\') {
        // "\\server\share" stands together as the root of a share.
        size_t server_end = d.find('\\', 2);
        if (server_end == std::string::npos) return {d};
        size_t share_end = d.find('\\', server_end + 1);
        if (share_end == std::string::npos) share_end = d.size();
        out.push_back(d.substr(0, share_end));
        at = share_end;
    } else {
        return {};
    }
    while (at < d.size()) {
        while (at < d.size() && d[at] == '\\') ++at;
        size_t end = d.find('\\', at);
        if (end == std::string::npos) end = d.size();
        if (end > at) out.push_back(d.substr(at, end - at));
        at = end;
    }
    return out;
}

std::string gbrows_new_dir(std::string_view tree_dir, int index, int curr, std::string_view name) {
    if (index > curr) return gbrows_trim_slashes(tree_dir) + "\\" + std::string(name);
    auto parts = gbrows_path_components(tree_dir);
    std::string out;
    for (int i = 0; i <= index && i < int(parts.size()); ++i) out += (i ? "\\" : "") + parts[size_t(i)];
    // A bare drive means its root.
    if (out.size() == 2 && out[1] == ':') out += "\\";
    return out;
}

StripLayout gbrows_strip_layout(int strip_w, int strip_h, int files, int first) {
    StripLayout l;
    if (strip_h <= 0 || files <= 0 || first < 0) return l;
    l.cell = strip_h;
    l.count = std::max(0, std::min(strip_w / strip_h, files - first));
    return l;
}

int gbrows_click_slot(int x, int cell) { return cell > 0 && x >= 0 ? x / cell : 0; }

int gbrows_round_half_away(double v) { return int(v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5)); }

CellRect gbrows_fit_in_cell(int w, int h, int cell, int slot) {
    CellRect r;
    if (w <= 0 || h <= 0 || cell <= 0) return r;
    const double k = double(cell) / std::max(w, h);
    const double gx = (k - 1) * w / 2, gy = (k - 1) * h / 2;
    r.left = gbrows_round_half_away(-gx);
    r.right = gbrows_round_half_away(w + gx);
    r.top = gbrows_round_half_away(-gy);
    r.bottom = gbrows_round_half_away(h + gy);
    const int dx = floor_div(cell - r.left - r.right, 2) + slot * cell, dy = floor_div(cell - r.top - r.bottom, 2);
    r.left += dx, r.right += dx, r.top += dy, r.bottom += dy;
    // Rounding both edges away from zero can reach a pixel into the next cell.
    r.left = std::max(r.left, slot * cell), r.right = std::min(r.right, (slot + 1) * cell);
    r.top = std::max(r.top, 0), r.bottom = std::min(r.bottom, cell);
    return r;
}

std::vector<std::string> gbrows_capture_formats() {
    std::vector<std::string> out;
    for (const auto& p : gbrows_supported_ext())
        if (p != "*.wmf" && p != "*.ico") out.push_back(p.substr(1));
    return out;
}

std::string gbrows_capture_filename_for(std::string_view doc_full, std::string_view ext) {
    size_t slash = doc_full.find_last_of("\\/");
    std::string_view name = slash == std::string_view::npos ? doc_full : doc_full.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) name = name.substr(0, dot);
    return std::string(name) + std::string(ext);
}

std::optional<AdjustPlan> gbrows_adjust_plan(int r, int b, int c, bool gray, bool shadow, int w, int h) {
    if (r == 0 && !gray && !shadow && b == 100 && c == 48) return std::nullopt;
    const double f = (100 - r) * 0.01;
    AdjustPlan p;
    p.adjust = {pict_op_brightness(b - 100), pict_op_contrast(c - 48),
                pict_op_size(std::max(1, gbrows_round_half_away(w * f)), std::max(1, gbrows_round_half_away(h * f)))};
    p.gray = gray;
    p.shadow = shadow;
    return p;
}

std::vector<PictOp> gbrows_shadow_ops(std::shared_ptr<const Image> p) {
    return {pict_op_brightness(-50), pict_op_level(100), pict_op_shadow(-5, -5, std::move(p), 90)};
}

std::string gbrows_capture_path(int dest, std::string_view name, std::string_view desktop, std::string_view doc_dir,
                                std::string_view prog_dir) {
    switch (dest) {
    case 10015:
        if (desktop.empty()) return {};
        return gbrows_trim_slashes(desktop) + "\\" + std::string(name);
    case 10016:
        if (doc_dir.empty()) return {};
        return gbrows_trim_slashes(doc_dir) + "\\" + std::string(name);
    case 10030: {
        size_t dot = name.rfind('.');
        std::string ext = dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
        return gbrows_trim_slashes(prog_dir) + "\\preview" + ext;
    }
    default:
        return {};
    }
}
