#include "elements/bg_dialog.h"

#include "document/view.h"

void BgPreview::set(int code, int32_t v) {
    Document& d = view_doc();
    if (!before_.count(code)) before_[code] = d.param(code);
    d.set_param(code, v);
    view_repaint();
}

void BgPreview::set_picture(const std::string& name) {
    Document& d = view_doc();
    if (!picture_touched_) {
        picture_touched_ = true;
        picture_before_ = d.text_param(kBgPictureText);
    }
    d.set_text_param(kBgPictureText, name);
    view_repaint();
}

bool BgPreview::changed() const {
    const Document& d = view_doc();
    for (const auto& [code, v] : before_)
        if (d.param(code) != v) return true;
    return picture_touched_ && d.text_param(kBgPictureText) != picture_before_;
}

void BgPreview::commit() {
    Document& d = view_doc();
    std::map<int, int32_t> now;
    for (const auto& [code, v] : before_) now[code] = d.param(code);
    std::string picture = d.text_param(kBgPictureText);
    bool any = changed();
    cancel();
    if (!any) return;
    // Put back, then make the whole change again inside one step so Undo takes it back at once.
    UndoStep step;
    for (const auto& [code, v] : now) view_param_set(code, v);
    if (picture_touched_) view_text_param_set(kBgPictureText, picture);
    step.commit("Change Para");
    before_.clear();
    picture_touched_ = false;
    view_repaint();
}

void BgPreview::cancel() {
    Document& d = view_doc();
    for (const auto& [code, v] : before_) d.set_param(code, v);
    if (picture_touched_) d.set_text_param(kBgPictureText, picture_before_);
    view_repaint();
}

std::string bg_level_caption(int level) { return "Lev " + std::to_string(level) + " Pattern"; }

std::vector<std::string> bg_percent_list() {
    std::vector<std::string> out;
    for (int p = 20; p <= 190; p += 10) out.push_back(std::to_string(p));
    return out;
}

std::string bg_check_browsed(const std::string& lower_name) {
    if (lower_name.find(".wmf") != std::string::npos) return "Cannot be .wmf)";
    if (lower_name.find(".ico") != std::string::npos) return "Cannot be .ico";
    return "";
}
