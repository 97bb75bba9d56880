#include "bars/status.h"

#include <algorithm>

#include "document/levels.h"
#include "document/view.h"

namespace {

constexpr int kVar = 9999;  // set by the layout

const std::vector<StatusFieldRow> kRows = {
    {kStText, kVar, kVar, "Status", "Status description"},
    {kStMessage, 259, kVar, "Message", "Click for details"},
    {kStPause, 239, 19, "Pause/Resume", "Pause or Resume message movement"},
    {kStCounts, 190, 48, "Objects:Links", "Tot Objects and Links"},
    {kStContract, 170, 19, "Contract", "Contract 10%"},
    {kStExpand, 150, 19, "Expand", "Expand 10%"},
    {kStScale, 106, 43, "Scale", "Current magnification"},
    {kStLevelDown, 86, 19, "Down Lev", "Goto next Level, or PgDn"},
    {kStLevelUp, 66, 19, "Up Lev", "Goto prev Level, or PgUp"},
    {kStLevel, 0, 65, "Level", "Current Level"},
};

const std::vector<std::pair<int, std::string>> kTexts = {
    {0, "Dynamic"},
    {1, "Object: Click to Activate"},
    {2, "Object: Click to Mark, Drag to Move"},
    {3, "Link: Click to Mark"},
    {4, "Shape: Drag to Move"},
    {5, "Object with no Action"},
    {6, ""},
    {7, "Shape: Click to Mark"},
    {9, "Change size"},
    {10, "Void: CtrDrag to Scroll"},
    {11, "Point"},
    {12, "Label: Drag to Move"},
    {13, "Margin: Click to Scroll"},
    {14, "Link: Drag to Move"},
    {15, "Object: Drag to create Link"},
};

StatusHost& null_host() {
    static StatusHost h;
    return h;
}

StatusHost* host_ = nullptr;

StatusHost& host() { return host_ ? *host_ : null_host(); }

}  // namespace

int StatusHost::count(int what) const {
    const Document& d = view_doc();
    return static_cast<int>(what == 1 ? d.objs.size() : d.links.size());
}

StatusModel::StatusModel() : but_(kRows), text_(kTexts) {}

const StatusFieldRow* StatusModel::row(int field) const {
    for (const auto& r : but_)
        if (r.field == field) return &r;
    return nullptr;
}

Rc StatusModel::layout(int client_right, int client_bottom, bool toolbar_left) {
    int left = toolbar_left ? 28 + 1 : 1;
    int free = client_right - left - kFixed;
    int h = std::max(free / 2, 0);  // a narrow window leaves no room rather than a negative width
    std::erase_if(but_, [](const StatusFieldRow& r) { return r.field == kStText || r.field == kStMessage; });
    but_.insert(but_.begin(), {{kStText, kFixed + h + 2, h, "Status", "Status description"},
                               {kStMessage, kFixed, h, "Message", "Click for details"}});
    return {left, client_bottom - kHeight, client_right, client_bottom};
}

Rc StatusModel::field_rect(int field, int bar_width) const {
    const StatusFieldRow* r = row(field);
    if (!r) return {};
    int w = r->width == kVar ? 0 : r->width;
    int x = r->x == kVar ? kFixed : r->x;
    return {bar_width - x - w, 0, bar_width - x, kHeight};
}

int StatusModel::field_at(int x, int bar_width) const {
    int d = bar_width - x;
    for (const auto& r : but_)
        if (r.x != kVar && r.x < d) return r.field;
    return 0;
}

std::string StatusModel::status_text() const {
    for (const auto& t : text_)
        if (t.first == txt_) return t.second;
    return "No text given!!!";
}

std::string StatusModel::field_text(int field, const StatusHost& h) const {
    const Document& d = view_doc();
    switch (field) {
    case kStText: return status_text();
    case kStCounts: return std::to_string(d.param(341)) + ":" + std::to_string(d.param(342));
    case kStScale: return std::to_string(mag_) + "%";
    case kStLevel: {
        // From the records themselves: settings 50 and 51 lag behind a load or an edit.
        auto [lo, hi] = level_range(d);
        std::string range = lo == 1 ? std::to_string(hi) : std::to_string(lo) + " to " + std::to_string(hi);
        return std::to_string(lev_) + " of " + range;
    }
    case kStPause: return h.ticker_paused() ? "R" : "P";
    case kStContract: return "z";
    case kStExpand: return "Z";
    case kStLevelDown: return "D";
    case kStLevelUp: return "U";
    }
    return "";
}

void StatusModel::update(int field, int value, StatusHost& h) {
    if (h.slideshow()) return;
    switch (field) {
    case kStText:
        if (txt_ == value) return;
        txt_ = value;
        break;
    case kStCounts: {
        // Kept for the display only: never marks the document changed.
        Document& d = view_doc();
        d.set_param(341, h.count(1));
        d.set_param(342, h.count(2));
        h.redraw(kStLevel);  // an edit or a load may change the levels in use too
        break;
    }
    case kStScale: mag_ = value; break;
    case kStLevel: lev_ = value; break;
    default: return;
    }
    h.redraw(field);
}

void StatusModel::show(const std::string& text, StatusHost& h) {
    if (text.empty()) return;
    std::erase_if(text_, [](const auto& t) { return t.first == 0; });
    text_.insert(text_.begin(), {0, text});
    if (txt_ == 0) {
        // The key stays 0 but its text is new.
        if (!h.slideshow()) h.redraw(kStText);
        return;
    }
    update(kStText, 0, h);
}

StatusModel& status_model() {
    static StatusModel m;
    return m;
}

void status_set_host(StatusHost* h) { host_ = h; }
void status_update(int field, int value) { status_model().update(field, value, host()); }
void status_show(const std::string& text) { status_model().show(text, host()); }

namespace {
bool shows_position_ = false;
}

bool status_shows_position() { return shows_position_; }
void status_set_shows_position(bool on) { shows_position_ = on; }
std::string status_position_text(Pt p) { return "X: " + std::to_string(p.x) + "  Y: " + std::to_string(p.y); }
