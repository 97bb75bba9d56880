#include "document/doc_util.h"

#include "base/util.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"

namespace {

void (*tbar_refresh_)() = nullptr;
void (*mark_shown_)() = nullptr;

void show_mark() {
    if (mark_shown_) mark_shown_();
}
uint64_t saved_state_ = 0, seen_state_ = 0;
bool saved_reachable_ = true;

}  // namespace

IndexColour view_new_item_colour() {
    const int index = tbar_visible_on(tbar_current_color().index, view_param_get(1));
    return {index, tbar_color_or(index)};
}

int util_marked_kind() {
    if (!marked_obj_.empty()) return 1;
    if (!marked_shape_.empty()) return 3;
    if (!marked_link_.empty()) return 2;
    return 0;
}

std::string util_obj_list_line(const Obj& o) {
    std::string id = o.id.substr(0, 20);
    id.resize(20, ' ');
    return id + std::to_string(o.key);
}

std::vector<std::string> util_obj_list_lines() {
    std::vector<std::string> out;
    const Document& d = view_doc();
    out.reserve(d.objs.size());
    for (const Obj& o : d.objs) out.push_back(util_obj_list_line(o));
    return out;
}

size_t util_obj_line_pos(Key key, const std::vector<std::string>& lines) {
    if (key == 0) return 0;
    for (size_t k = 0; k < lines.size(); ++k) {
        if (lines[k].size() <= 20) continue;
        auto n = util_str_to_int(std::string_view(lines[k]).substr(20));
        if (n && *n == key) return k;
    }
    return 0;
}

void file_mark_changed() {
    view_doc().changed = true;
    show_mark();
    if (tbar_refresh_) tbar_refresh_();
}
void file_set_changed() {
    view_doc().changed = true;
    show_mark();
}
void file_clear_changed() {
    view_doc().changed = false;
    saved_state_ = seen_state_ = view_undo_state();
    saved_reachable_ = true;
    show_mark();
}

void file_note_edit() {
    uint64_t now = view_undo_state();
    if (now == seen_state_) saved_reachable_ = false;
    seen_state_ = now;
    view_doc().changed = !(saved_reachable_ && now == saved_state_);
    show_mark();
    if (tbar_refresh_) tbar_refresh_();
}
int file_is_changed() { return view_doc().changed ? 1 : 0; }
void file_set_tbar_refresh_hook(void (*hook)()) { tbar_refresh_ = hook; }
void file_set_mark_hook(void (*hook)()) { mark_shown_ = hook; }
