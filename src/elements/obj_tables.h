// The object vocabulary: shape, action, cluster and icon-style codes, the flag word, the size
// list and the Object Defaults list table. Read-only tables, looked up by list position or code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Shape codes.
enum ObjShape : int {
    kShapeBar = 160, kShapeBox = 161, kShapeEllipse = 162, kShapeDiamond = 163, kShapeCircle = 164,
    kShapeSquare = 166, kShapeLine2 = 167, kShapeIconRow = 168, kShapePictureFile = 169,
    kShapeSymbol = 170, kShapeLine1 = 172, kShapePicture = 173, kShapePolygon3 = 183,
    kShapePolygon8 = 188,
};
constexpr int kLastShapeCode = 188;  // above: an icon number

// Object flag word bits.
enum ObjFlag : uint32_t {
    kFlagWrap = 0x0001, kFlagAltFont = 0x0002, kFlagHideLinks = 0x0004, kFlagReadOnly = 0x0008,
    kFlagFixedWidth = 0x0080, kFlagNoId = 0x0100, kFlagNoPrint = 0x0200, kFlagDropText = 0x0400,
    kFlagNoCentre = 0x0800, kFlagTransparent = 0x1000, kFlagNoProtrude = 0x2000,
    kFlagUnderline = 0x4000,
};
constexpr uint32_t kDefaultObjFlags = kFlagWrap;
constexpr int kDefaultObjSize = 15;

struct ShapeRow { int code; const char* name; };
struct ActionRow { int code; const char* name; };
struct ClusterRow { int code; const char* name; };
struct IconStyleRow { const char* name; int picture_op; uint32_t rop; };
struct Obj0ListRow { int control; int setting; int offset; };
struct FlagRow { uint32_t bit; int checkbox; bool checked_when_set; };

extern const std::vector<ShapeRow> shape_;
extern const std::vector<ActionRow> action_;
extern const std::vector<ClusterRow> cluster_shape_;
extern const std::vector<IconStyleRow> icon_style_;
extern const std::vector<Obj0ListRow> obj0_listbox_;
// The flag bits edited by Object Properties, with their check boxes.
extern const std::vector<FlagRow> obj_flag_boxes_;

// Display name of a shape code: "Icon" above 188, else its row's name.
std::optional<std::string> obj_shape_name(int code);

// Shape list: an icon number (above 188) sits at the row of 168 ("Icon...").
std::optional<int> obj_shape_code_at(int pos);
std::optional<int> obj_shape_pos_of(int code);

std::optional<int> obj_action_code_at(int pos);
std::optional<int> obj_action_pos_of(int code);
std::optional<std::string> obj_action_name(int code);
// Actions whose name holds "*" need an extension text.
bool obj_action_needs_ext(int code);

std::optional<int> obj_cluster_code_at(int pos);
std::optional<int> obj_cluster_pos_of(int code);

// The icon-style row at a list position (document setting 365), or nullopt.
const IconStyleRow* obj_icon_style_at(int pos);
const Obj0ListRow* obj0_listbox_row(int control);

// Names in list order, for filling dialog lists.
std::vector<std::string> obj_shape_names();
std::vector<std::string> obj_action_names();
std::vector<std::string> obj_cluster_names();
std::vector<std::string> obj_icon_style_names();

// The Size list: five named sizes, then "0" to "500".
constexpr int kSizeListCount = 5 + 501;
int obj_size_pos(int size);
int obj_size_at(int pos);
std::string obj_size_text(int pos);
