#include "elements/textbox.h"

#include "base/util.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"

namespace {

constexpr const char* kCreate = "Create Object";
constexpr const char* kRename = "Rename ID";

// Makes `change` part of the step that created object `key`: a change the creator left open is
// closed with it; a last step that created the object is taken back and made again together
// with it; otherwise `change` is a step of its own named `fallback`.
void join_creation(Key key, const std::function<void()>& change, const char* fallback) {
    if (view_edit_open()) {
        change();
        view_undo_record(kCreate);
        return;
    }
    if (view_undo_name() == kCreate) {
        Document after = view_doc();
        if (view_undo()) {
            if (!view_doc().obj(key)) {
                view_edit(7);
                view_doc() = std::move(after);
                view_doc().touch_objs();
                change();
                view_undo_record(kCreate);
                // The creation was taken back to be made again: Redo must not offer it.
                view_redo_clear();
                return;
            }
            view_redo();  // that step made something else
        }
    }
    UndoStep step;
    change();
    step.commit(fallback);
}

}  // namespace

char textbox_separator(int p5) {
    static constexpr char kSeps[] = ";.:/\\|";
    return p5 >= 0 && p5 < 6 ? kSeps[p5] : ';';
}

std::vector<std::string> textbox_split_id(std::string_view text, char sep) {
    std::vector<std::string> out(1);
    for (char c : text) {
        if (c == sep) out.emplace_back();
        else out.back().push_back(c);
    }
    return out;
}

int textbox_width(int extent, int min_width) {
    const int w = extent + 10 < 300 ? extent + 10 : 300;
    return w > min_width ? w : min_width;
}

Rc textbox_rect(Pt anchor_dev, const Rc& view, int w, int h) {
    Rc r;
    r.left = anchor_dev.x + 10 + view.left;
    r.top = anchor_dev.y - 20 + view.top;
    r.right = r.left + w;
    r.bottom = r.top + h + 1;
    if (r.right > view.right) {
        const int d = r.right - view.right;
        r.left -= d;
        r.right -= d;
    }
    return r;
}

bool textbox_centred_shape(int shape) {
    switch (shape) {
    case 160: case 161: case 167: case 170: case 172: return true;
    default: return false;
    }
}

int textbox_centre_shift(int shape, int old_width, int new_width) {
    return textbox_centred_shape(shape) ? (new_width - old_width) / 2 : 0;
}

bool textbox_label_needs_recompute(std::string_view old_label, std::string_view new_label) {
    if (old_label == new_label) return false;
    return new_label.empty() || util_str_to_int(new_label).has_value() || new_label.front() == '=';
}

TextboxObjResult textbox_commit_object(Key key, std::string_view text, char sep, bool is_new,
                                       const std::string& default_text,
                                       const std::function<int(std::string_view)>& measure) {
    TextboxObjResult r;
    const auto o = view_obj_get(key);
    if (!o || !view_doc().obj(key)) return r;
    auto fields = textbox_split_id(text, sep);
    r.ok = true;
    r.new_id = fields.front();
    r.rest.assign(fields.begin() + 1, fields.end());
    r.old_width = measure(o->id);
    r.new_width = measure(r.new_id);
    Obj n = *o;
    n.id = r.new_id;
    n.x += textbox_centre_shift(n.shape, r.old_width, r.new_width);
    // Only a new object still carrying the default text goes; a rename never deletes.
    r.dropped = is_new && r.new_id == default_text;
    auto change = [&] {
        view_obj_put(n);
        if (r.dropped) view_obj_remove(key);
    };
    if (r.dropped && textbox_drop_new(key)) {
        r.rest.clear();
        return r;
    }
    if (is_new) {
        join_creation(key, change, kRename);
    } else {
        UndoStep step;
        change();
        step.commit(kRename);
    }
    marked_obj_.clear();
    if (r.dropped) r.rest.clear();
    return r;
}

TextboxLabelResult textbox_commit_label(Key from, Key to, std::string_view text) {
    TextboxLabelResult r;
    const auto l = view_link_get(from, to);
    if (!l) return r;
    r.ok = true;
    marked_link_.assign(1, MarkedLink{from, to});
    Link n = *l;
    n.label = std::string(text);
    {
        UndoStep step;
        view_link_put(from, to, n);
        step.commit("Change Label");
    }
    marked_link_.clear();
    r.recompute = textbox_label_needs_recompute(l->label, n.label);
    return r;
}

bool textbox_drop_new(Key key) {
    if (!view_doc().obj(key)) return false;
    // The creation itself is taken back and forgotten: nothing to undo, nothing to redo.
    if (!view_edit_open() && view_undo_name() == kCreate && view_undo()) {
        if (!view_doc().obj(key)) {
            view_redo_clear();
            marked_obj_.clear();
            return true;
        }
        view_redo();  // that step made something else
    }
    join_creation(key, [key] { view_obj_remove(key); }, "Delete");
    marked_obj_.clear();
    return true;
}
