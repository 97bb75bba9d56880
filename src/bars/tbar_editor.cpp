#include "bars/tbar_editor.h"

std::vector<int> tbar_store_value(const TbarStyle& s) {
    std::vector<int> v = {s.orientation, 1};
    v.insert(v.end(), s.buttons.begin(), s.buttons.end());
    return v;
}

std::string tbar_store_name(int n) { return "Toolbar" + std::to_string(n); }

std::vector<std::pair<std::string, std::vector<int>>> tbar_editor_accept(TbarModel& m, std::optional<int> style,
                                                                          const std::vector<int>& buttons,
                                                                          int orientation) {
    std::vector<std::pair<std::string, std::vector<int>>> out;
    if (!style || !m.replace_style(*style, buttons, orientation)) return out;
    m.set_style(*style);
    // Every user layout exists (a damaged stored value loads the default), so all four are written.
    for (int n = 1; n <= 4; ++n) out.emplace_back(tbar_store_name(n), tbar_store_value(m.styles()[n + 3]));
    return out;
}
