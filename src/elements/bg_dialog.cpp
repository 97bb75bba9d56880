#include "elements/bg_dialog.h"

#include "document/view.h"

void BgPreview::set(int code, int32_t v) {
    view_doc().shown_params[code] = v;
    view_repaint();
}

void BgPreview::set_picture(const std::string& name) {
    view_doc().shown_text_params[kBgPictureText] = name;
    view_repaint();
}

int32_t BgPreview::shown(int code) const { return view_doc().shown_param(code); }

bool BgPreview::changed() const {
    const Document& d = view_doc();
    for (const auto& [code, v] : d.shown_params)
        if (d.param(code) != v) return true;
    for (const auto& [code, t] : d.shown_text_params)
        if (d.text_param(code) != t) return true;
    return false;
}

void BgPreview::commit() {
    Document& d = view_doc();
    const bool any = changed();
    auto params = std::move(d.shown_params);
    auto texts = std::move(d.shown_text_params);
    cancel();
    if (!any) return;
    UndoStep step;
    for (const auto& [code, v] : params) view_param_set(code, v);
    for (const auto& [code, t] : texts) view_text_param_set(code, t);
    step.commit("Change Para");
    view_repaint();
}

void BgPreview::cancel() {
    Document& d = view_doc();
    d.shown_params.clear();
    d.shown_text_params.clear();
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
