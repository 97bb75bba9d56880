#include "services/print.h"

#include <cctype>

namespace {

struct PartRow {
    int parts, page, factor;
    double x, y;
};

// The preview frame is one page for 1x1, 2x2 and 3x3, two pages wide for 2x1 and two tall for
// 1x2; 2x2 and 3x3 enlarge the one-page frame over their pages.
constexpr PartRow kPartPara[] = {
    {0, 1, 1, 0.5, 0.5},
    {1, 1, 1, 1.0, 0.5},   {1, 2, 1, 0.0, 0.5},
    {2, 1, 1, 0.5, 1.0},   {2, 2, 1, 0.5, 0.0},
    {3, 1, 2, 1.0, 1.0},   {3, 2, 2, 0.0, 1.0},   {3, 3, 2, 1.0, 0.0},   {3, 4, 2, 0.0, 0.0},
    {4, 1, 3, 1.5, 1.5},   {4, 2, 3, 0.5, 1.5},   {4, 3, 3, -0.5, 1.5},
    {4, 4, 3, 1.5, 0.5},   {4, 5, 3, 0.5, 0.5},   {4, 6, 3, -0.5, 0.5},
    {4, 7, 3, 1.5, -0.5},  {4, 8, 3, 0.5, -0.5},  {4, 9, 3, -0.5, -0.5},
};

constexpr int kPages[kPrintPartsCount] = {1, 2, 2, 4, 9};
constexpr const char* kNames[kPrintPartsCount] = {"1x1", "2x1", "1x2", "2x2", "3x3"};

}  // namespace

const char* print_parts_name(int parts) { return parts >= 0 && parts < kPrintPartsCount ? kNames[parts] : ""; }

int print_page_count(int parts) { return parts >= 0 && parts < kPrintPartsCount ? kPages[parts] : 0; }

std::optional<PartOffsets> print_part_offsets(int parts, int page) {
    for (const PartRow& r : kPartPara)
        if (r.parts == parts && r.page == page) return PartOffsets{r.factor, r.x, r.y};
    return std::nullopt;
}

std::vector<PrintJobPage> print_job_sequence(int copies, int parts) {
    std::vector<PrintJobPage> out;
    const int pages = print_page_count(parts);
    for (int c = 1; c <= copies; ++c)
        for (int p = 1; p <= pages; ++p) out.push_back({c, p, *print_part_offsets(parts, p)});
    return out;
}

std::optional<int> print_parse_scale(const std::string& text) {
    size_t i = 0, n = text.size();
    while (i < n && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    while (n > i && std::isspace(static_cast<unsigned char>(text[n - 1]))) --n;
    if (i == n || n - i > 4) return std::nullopt;
    int v = 0;
    for (; i < n; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
        v = v * 10 + (text[i] - '0');
    }
    if (v < 1 || v > kPrintScaleMax) return std::nullopt;
    return v;
}
