#include "base/settings.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <map>

#include "base/util.h"

namespace {

class MemoryStore : public SettingsBackend {
public:
    std::optional<std::string> get(const std::string& name) override {
        auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool set(const std::string& name, const std::string& text) override {
        values[name] = text;
        return true;
    }
    std::map<std::string, std::string> values;
};

MemoryStore& memory() {
    static MemoryStore m;
    return m;
}

SettingsBackend* backend_ = nullptr;

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

void settings_set_backend(SettingsBackend* b) { backend_ = b; }
SettingsBackend* settings_backend() { return backend_ ? backend_ : &memory(); }
void settings_memory_clear() { memory().values.clear(); }

std::string settings_list_text(const std::vector<int>& list) {
    std::string s = "[";
    for (size_t k = 0; k < list.size(); ++k) {
        if (k) s.push_back(',');
        s += std::to_string(list[k]);
    }
    s.push_back(']');
    return s;
}

std::optional<std::vector<int>> settings_parse_list(std::string_view text) {
    text = trim(text);
    if (text.size() < 2 || text.front() != '[' || text.back() != ']') return std::nullopt;
    text = trim(text.substr(1, text.size() - 2));
    std::vector<int> out;
    if (text.empty()) return out;
    for (;;) {
        size_t comma = text.find(',');
        std::string_view item = trim(text.substr(0, comma));
        if (!item.empty() && item.front() == '+') item.remove_prefix(1);
        int v = 0;
        auto r = std::from_chars(item.data(), item.data() + item.size(), v);
        if (item.empty() || r.ec != std::errc() || r.ptr != item.data() + item.size()) return std::nullopt;
        out.push_back(v);
        if (comma == std::string_view::npos) break;
        text = text.substr(comma + 1);
    }
    return out;
}

std::vector<int> file_setting_get_list(const std::string& name, const std::vector<int>& def) {
    auto text = settings_backend()->get(name);
    if (!text) return def;
    auto list = settings_parse_list(*text);
    return list ? *list : def;
}

std::vector<int> file_setting_get_list_n(const std::string& name, const std::vector<int>& def) {
    auto list = file_setting_get_list(name, def);
    return list.size() == def.size() ? list : def;
}

void file_setting_set_list(const std::string& name, const std::vector<int>& list) {
    settings_backend()->set(name, settings_list_text(list));
}

std::string file_setting_get_text(const std::string& name, const std::string& def) {
    auto text = settings_backend()->get(name);
    return text ? *text : def;
}

void file_setting_set_text(const std::string& name, const std::string& text) { settings_backend()->set(name, text); }

const std::vector<int>& menu_setting_default() {
    static const std::vector<int> d{1, 1, 1, 0, 0, 1, 1, 0, 1, 1, 0, 1, 0, 10, 0, 0};
    return d;
}

BackupSetting backup_setting_get() {
    auto l = file_setting_get_list_n("Backup", {9, 0, 1});
    BackupSetting b;
    b.minutes_less_1 = util_clamp(l[0], 0, 24 * 60);
    b.bak = l[1] != 0;
    b.bk2 = l[2] != 0;
    return b;
}

void backup_setting_set(const BackupSetting& b) {
    file_setting_set_list("Backup", {b.minutes_less_1, b.bak ? 1 : 0, b.bk2 ? 1 : 0});
}

Rect rect_clamp_to(const Rect& in, const Rect& area) {
    // In 64 bits: a damaged setting may hold any two 32-bit values, whose difference overflows.
    const int64_t aw = int64_t{area.right} - area.left, ah = int64_t{area.bottom} - area.top;
    int64_t w = int64_t{in.right} - in.left, h = int64_t{in.bottom} - in.top;
    if (w < 1) w = aw * 3 / 4;
    if (h < 1) h = ah * 3 / 4;
    w = std::min(w, aw);
    h = std::min(h, ah);
    const int64_t left = std::clamp<int64_t>(in.left, area.left, std::max<int64_t>(area.left, area.right - w));
    const int64_t top = std::clamp<int64_t>(in.top, area.top, std::max<int64_t>(area.top, area.bottom - h));
    Rect r;
    r.left = static_cast<int>(left);
    r.top = static_cast<int>(top);
    r.right = static_cast<int>(left + w);
    r.bottom = static_cast<int>(top + h);
    return r;
}

Rect placement_fit(const Rect& kept, const Rect& area) {
    Rect r = rect_clamp_to(kept, area);
    if (r.right - r.left >= kMainMinWidth && r.bottom - r.top >= kMainMinHeight) return r;
    return rect_clamp_to({r.left, r.top, r.left + kMainWidth, r.top + kMainHeight}, area);
}

std::optional<Placement> placement_get() {
    auto text = settings_backend()->get("Placement");
    if (!text) return std::nullopt;
    auto l = settings_parse_list(*text);
    if (!l || l->size() != 5) return std::nullopt;
    Placement p;
    p.show = (*l)[0];
    p.r = {(*l)[1], (*l)[2], (*l)[3], (*l)[4]};
    return p;
}

void placement_set(const Placement& p) {
    file_setting_set_list("Placement", {p.show, p.r.left, p.r.top, p.r.right, p.r.bottom});
}

std::vector<std::string> recent_files_get() {
    std::vector<std::string> out;
    for (int k = 1; k <= kRecentMax; ++k) {
        std::string f = file_setting_get_text("File" + std::to_string(k), "");
        if (!f.empty()) out.push_back(f);
    }
    return out;
}

void recent_files_set(const std::vector<std::string>& list) {
    for (int k = 1; k <= kRecentMax; ++k)
        file_setting_set_text("File" + std::to_string(k), k <= static_cast<int>(list.size()) ? list[k - 1] : "");
}

std::vector<std::string> recent_files_push(std::vector<std::string> list, const std::string& name) {
    std::vector<std::string> out{name};
    for (auto& f : list)
        if (!f.empty() && util_compare_nocase(f, name) != 0 && out.size() < kRecentMax) out.push_back(std::move(f));
    return out;
}
