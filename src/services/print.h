// PRINT, portable part: the tiling table of the Print dialog's Parts, the order of the print
// jobs, and the Scale text's check.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Parts choices: "1x1", "2x1", "1x2", "2x2", "3x3" (index 0 to 4).
constexpr int kPrintPartsCount = 5;
const char* print_parts_name(int parts);
// Pages a copy takes (1, 2, 2, 4, 9); 0 for an index out of range.
int print_page_count(int parts);

// Where page `page` (1-based) of `parts` lies: the preview frame's centre falls on (x, y), in
// page widths and heights from the page's top left corner; each page shows the frame's part
// divided by factor. Nullopt for a page or index out of range.
struct PartOffsets {
    int factor = 1;
    double x = 0.5, y = 0.5;
    bool operator==(const PartOffsets&) const = default;
};
std::optional<PartOffsets> print_part_offsets(int parts, int page);

// One single-page job of a print run, in printing order: copy 1 pages 1..n, copy 2 ...
struct PrintJobPage {
    int copy = 1, page = 1;
    PartOffsets at;
};
std::vector<PrintJobPage> print_job_sequence(int copies, int parts);

// The Scale box's text as a zoom percent: a whole number 1 to 275 (blanks around it allowed);
// nullopt otherwise.
std::optional<int> print_parse_scale(const std::string& text);
constexpr int kPrintScaleMax = 275;
constexpr int kPrintCopiesMax = 50;
