// What the object dialogs (Object Properties, Object Defaults, Cluster and Sequence Settings)
// decide without a window: list contents and positions for stored values, the flag word, the
// action extension carried over a change of action, whole-number fields. Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "elements/obj_tables.h"

// A list showing a stored value: its position, or one extra entry at the end for a value the
// list has no entry for, so the value is seen and kept while the user leaves the list alone.
struct ListShow {
    std::vector<std::string> items;
    int sel = 0;
    bool extra = false;
    // The stored value while the extra entry (or nothing) is selected, else nullopt: the caller
    // turns the position into a value.
    bool keeps_stored(int chosen) const { return chosen < 0 || (extra && chosen == static_cast<int>(items.size()) - 1); }
};
ListShow list_show(std::vector<std::string> items, std::optional<int> pos, const std::string& extra_text);

// ---- Object Properties.
enum class ObjList { Action, Level, Size, Shape, Cluster, Colour };
ListShow obj_list_show(ObjList list, int value);
// The value at a list position; nullopt outside the list. Shape gives 168 for "Icon...".
std::optional<int> obj_list_value(ObjList list, int pos);
// The value to store: the stored one when the list was left on its extra entry.
int obj_list_chosen(ObjList list, const ListShow& shown, int pos, int stored);

bool obj_flag_checked(uint32_t flags, const FlagRow& row);
uint32_t obj_flag_with(uint32_t flags, const FlagRow& row, bool checked);

// A whole number that fits 32 bits, blanks around it allowed.
std::optional<int32_t> obj_parse_whole(std::string_view text);

// How the action extension is carried when the action changes from a0 (text e0) to a1 (text e1
// typed in the dialog).
enum class ExtRule {
    EmptyName,   // hypertext to a text file without a file name
    WriteFile,   // the hypertext becomes the new file's text; e1 stored
    AppendFile,  // the hypertext is appended to the existing file; e1 stored
    ToRtf,       // the hypertext wrapped as rich text
    FromRtf,     // the rich text's plain text
    KeepOld,
    StoreNew,
    Ask,         // "Contents Changed": yes stores e1
};
ExtRule obj_ext_rule(int a0, const std::string& e0, int a1, const std::string& e1, bool file_exists);
// Plain text as a one-font rich-text document: line breaks become \par, tabs \tab, and "\", "{",
// "}" and bytes from 0x80 are escaped.
std::string obj_text_to_rtf(std::string_view text);
// "<first 20 characters>... to be changed?", line breaks as blanks.
std::string obj_contents_changed_text(const std::string& e0);

// ---- Object Defaults.
// Box depth: "Variable", "1" .. "100"; setting 228 is the position.
ListShow objdef_depth_show(int setting);
// Bar, Symbol and Icon widths: "Variable", "25" .. "2000" by 5; settings 0-4 show "Variable",
// 5-400 show width 5 x setting.
ListShow objdef_width_show(int setting);
// The value a width position stores at once (position + 4) and on OK (0 for "Variable").
int objdef_width_live(int pos);
int objdef_width_ok(int pos);
ListShow objdef_pick_show(const std::vector<std::string>& items, int setting);
extern const std::vector<std::string> objdef_richtext_colours_;
extern const std::vector<std::string> objdef_id_separators_;

// ---- Cluster and Sequence Settings.
ListShow cluster_vert_show(int setting);  // "0" .. "500" by 5, position = setting + 20
ListShow cluster_horz_show(int setting);  // "100" .. "750" by 10, position = setting + 20
ListShow seq_min_dist_show(int setting);  // "0" .. "1000" by 50, position = setting + 6
ListShow seq_direction_show(int setting);
extern const std::vector<std::string> seq_directions_;
// The key that follows the first 20 characters of an object list line; nullopt when none.
std::optional<int> seq_key_of_line(std::string_view line);

// The plain text of a rich-text document (paragraphs as line breaks), for an object whose rich
// text has no plain copy stored.
std::string obj_rtf_plain(std::string_view rtf);
