// Find Objects and Find Links (portable part): the rows each lists for a filter, and their
// sort order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bars/listview.h"
#include "document/document.h"

// ---- Find Links. Row ids are link numbers over all links, so a hidden row keeps the others'.
std::string links_level_text(int from_level, int to_level);
// The columns From, To, Link Label, Color, Shape, Style, Level of link `l` in `d`.
std::vector<std::string> links_columns(const Document& d, const Link& l);
// Rows whose lower-cased text matches the filter expression (" and ", " or ", " not ").
std::vector<LvItem> links_rows(const Document& d, std::string_view filter);
// Link number `n` (from 1), or null.
const Link* links_nth(const Document& d, int n);

// ---- Find Objects.
struct FindObjFilter {
    std::string text;  // lower case
    bool causes = false, effects = false;
    bool operator==(const FindObjFilter&) const = default;
};
// Objects of `d` passing the filter, ids counted on from `*count`. `file` is the document's
// file name, lower case, without folder.
std::vector<LvItem> findobj_rows(const Document& d, const FindObjFilter& f, const std::string& file, int* count);
constexpr int kFindObjSortLimit = 500;
constexpr int kFindObjRefColumn = 7, kFindObjFileColumn = 6;
std::string findobj_total_line(int count);

// ---- Both: bit c of `bits` is column c's direction; set means ascending.
int finder_toggle_bit(int bits, int column);
bool finder_ascending(int bits, int column);
// Case-blind order of two column texts in that direction (strict: equal texts are not before).
bool finder_before(std::string_view a, std::string_view b, bool ascending);
