// GBROWS, portable part: the Picture Browser's lists, paths and thumbnail strip, and Capture
// Picture's names and adjustment plan.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/pict.h"

// The 11 patterns of supported_ext_, "*.bmp" .. "*.wmf".
const std::vector<std::string>& gbrows_supported_ext();
// Index into "*.*" + the patterns: 0 for "*.*", else the pattern's position (1-based), else that
// of the default file's extension, else 0.
int gbrows_initial_ext_index(std::string_view filter, std::string_view default_file);
// A file name the browser lists: its lower-cased extension is one of the patterns.
bool gbrows_is_supported(std::string_view name);
std::string gbrows_lower(std::string_view s);
std::string gbrows_trim_slashes(std::string_view dir);

// The components of a directory from its root: "c:", "dir", ... ; a share's first component is
// "\\server\share". Empty for a path with neither a drive nor a share.
std::vector<std::string> gbrows_path_components(std::string_view dir);
// The directory of tree entry `index` (text `name`): an ancestor (index <= curr) is the tree
// directory cut after component `index`; a subdirectory is tree + "\" + name.
std::string gbrows_new_dir(std::string_view tree_dir, int index, int curr, std::string_view name);

struct StripLayout {
    int cell = 0;   // cell size: the strip's height
    int count = 0;  // cells drawn
};
StripLayout gbrows_strip_layout(int strip_w, int strip_h, int files, int first);
int gbrows_click_slot(int x, int cell);

struct CellRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
// A w x h picture scaled to fit an S x S cell (real scale, rounded half away from zero), centred,
// in cell `slot` of the strip.
CellRect gbrows_fit_in_cell(int w, int h, int cell, int slot);

// ---- Capture Picture.

// ".bmp" .. ".tiff": the browser's patterns without "*.wmf" and "*.ico", less the "*".
std::vector<std::string> gbrows_capture_formats();
// The document's name with its directory cut off and its extension replaced by `ext`.
std::string gbrows_capture_filename_for(std::string_view doc_full, std::string_view ext);
// The adjustment of a w x h grab: nullopt when every setting is at its default. r reduction
// index (size 100 - r %), b brightness index (b - 100), c contrast index (c - 48).
struct AdjustPlan {
    std::vector<PictOp> adjust;  // brightness, contrast and size: always, once anything is set
    bool gray = false, shadow = false;
};
std::optional<AdjustPlan> gbrows_adjust_plan(int r, int b, int c, bool gray, bool shadow, int w, int h);
// The shadow list for picture `p`: darken, keep, lay `p` over it moved up and left.
std::vector<PictOp> gbrows_shadow_ops(std::shared_ptr<const Image> p);
int gbrows_round_half_away(double v);

// Where a capture goes: 10014 clipboard, 10015 Desktop, 10016 the document's directory,
// 10030 the preview file. Empty when nothing is to be written.
std::string gbrows_capture_path(int dest, std::string_view name, std::string_view desktop,
                                std::string_view doc_dir, std::string_view prog_dir);
