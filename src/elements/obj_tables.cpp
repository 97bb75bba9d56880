#include "elements/obj_tables.h"

#include <cstring>

const std::vector<ShapeRow> shape_ = {
    {161, "Box"}, {160, "Bar"}, {170, "Symbol"}, {162, "Ellipse"}, {164, "Circle"},
    {166, "Square"}, {163, "Diamond"}, {172, "Line1"}, {167, "Line2"}, {173, "Picture"},
    {169, "Picture*"}, {168, "Icon..."}, {183, "Polygon3"}, {184, "Polygon4"},
    {185, "Polygon5"}, {186, "Polygon6"}, {187, "Polygon7"}, {188, "Polygon8"},
};

const std::vector<ActionRow> action_ = {
    {0, "Open Hypertext"}, {42, "Open RichText"}, {16, "Activate Cluster"}, {15, "Activate ID*"},
    {27, "Analyze"}, {23, "Back"}, {41, "Change ID"}, {7, "Clone fr File*"}, {26, "Close"},
    {35, "Compute"}, {31, "DDE Execute*"}, {29, "DDE Open File*"}, {32, "DDE Request*"},
    {20, "End Program"}, {33, "Generate Ideas"}, {25, "Gosub Level ID*"}, {11, "Goto Level ID*"},
    {9, "Level Down"}, {10, "Level Up"}, {12, "No Action"}, {6, "Open VornFile*"},
    {40, "OpenSub VornFile*"}, {19, "Open Checklist*"}, {39, "Open File*"},
    {37, "Open HelpFile*"}, {14, "Open HomeFile"}, {38, "Open Program*"}, {1, "Open TextFile*"},
    {24, "Play File*"}, {8, "Run Program*"}, {30, "Select ID"}, {21, "Show Links"}, {36, "Spin"},
    {34, "Toggle 0/1"}, {43, "Toggle Color"}, {44, "Toggle Level*"}, {17, "Zoom In"},
    {18, "Zoom Out"},
};

const std::vector<ClusterRow> cluster_shape_ = {
    {0, "(Manual)"}, {1, "Ellipse"}, {2, "Circle"}, {7, "Star"}, {3, "Right tree"},
    {4, "Left tree"}, {5, "Bottom tree"}, {6, "Top tree"}, {8, "Arbitrary"},
};

const std::vector<IconStyleRow> icon_style_ = {
    {"-Src or Dest", 5, 0xBB0226}, {"-Src", 6, 0x330008}, {"-(Src or Dest)", 7, 0x1100A6},
    {"Src and Dest", 11, 0x8800C6}, {"Src and -Dest", 13, 0x440328},
    {"Src xor Dest", 14, 0x660046}, {"Src or Dest", 15, 0xEE0086},
};

const std::vector<Obj0ListRow> obj0_listbox_ = {
    {10195, 228, 0}, {10203, 365, 0}, {10188, 97, 4}, {10191, 225, 4}, {10193, 227, 4},
};

const std::vector<FlagRow> obj_flag_boxes_ = {
    {0x0001, 10477, true},  {0x0002, 10487, true},  {0x0004, 10474, true},
    {0x0008, 10476, true},  {0x0080, 10495, true},  {0x0100, 10478, false},
    {0x0200, 10475, true},  {0x0400, 10479, true},  {0x0800, 10497, false},
    {0x1000, 10504, true},  {0x2000, 10503, false}, {0x4000, 10505, true},
};

namespace {

template <class Row>
std::optional<int> code_at(const std::vector<Row>& t, int pos) {
    if (pos < 0 || pos >= static_cast<int>(t.size())) return std::nullopt;
    return t[pos].code;
}

template <class Row>
std::optional<int> pos_of(const std::vector<Row>& t, int code) {
    for (size_t i = 0; i < t.size(); ++i)
        if (t[i].code == code) return static_cast<int>(i);
    return std::nullopt;
}

template <class Row>
std::vector<std::string> names(const std::vector<Row>& t) {
    std::vector<std::string> out;
    for (const auto& r : t) out.emplace_back(r.name);
    return out;
}

constexpr int kNamedSizes[5] = {5, 15, 25, 35, 45};
const char* const kNamedSizeText[5] = {"Small 5", "Normal 15", "Large 25", "V large 35", "E large 45"};

}  // namespace

std::optional<std::string> obj_shape_name(int code) {
    if (code > kLastShapeCode) return std::string("Icon");
    for (const auto& r : shape_)
        if (r.code == code) return std::string(r.name);
    return std::nullopt;
}

std::optional<int> obj_shape_code_at(int pos) { return code_at(shape_, pos); }
std::optional<int> obj_shape_pos_of(int code) {
    return pos_of(shape_, code > kLastShapeCode ? kShapeIconRow : code);
}

std::optional<int> obj_action_code_at(int pos) { return code_at(action_, pos); }
std::optional<int> obj_action_pos_of(int code) { return pos_of(action_, code); }
std::optional<std::string> obj_action_name(int code) {
    auto p = pos_of(action_, code);
    if (!p) return std::nullopt;
    return std::string(action_[*p].name);
}
bool obj_action_needs_ext(int code) {
    auto p = pos_of(action_, code);
    return p && std::strchr(action_[*p].name, '*') != nullptr;
}

std::optional<int> obj_cluster_code_at(int pos) { return code_at(cluster_shape_, pos); }
std::optional<int> obj_cluster_pos_of(int code) { return pos_of(cluster_shape_, code); }

const IconStyleRow* obj_icon_style_at(int pos) {
    if (pos < 0 || pos >= static_cast<int>(icon_style_.size())) return nullptr;
    return &icon_style_[pos];
}

const Obj0ListRow* obj0_listbox_row(int control) {
    for (const auto& r : obj0_listbox_)
        if (r.control == control) return &r;
    return nullptr;
}

std::vector<std::string> obj_shape_names() { return names(shape_); }
std::vector<std::string> obj_action_names() { return names(action_); }
std::vector<std::string> obj_cluster_names() { return names(cluster_shape_); }
std::vector<std::string> obj_icon_style_names() {
    std::vector<std::string> out;
    for (const auto& r : icon_style_) out.emplace_back(r.name);
    return out;
}

int obj_size_pos(int size) {
    for (int i = 0; i < 5; ++i)
        if (kNamedSizes[i] == size) return i;
    return size + 5;
}

int obj_size_at(int pos) { return pos < 5 ? kNamedSizes[pos < 0 ? 0 : pos] : pos - 5; }

std::string obj_size_text(int pos) {
    if (pos >= 0 && pos < 5) return kNamedSizeText[pos];
    return std::to_string(pos - 5);
}
