// Rich-text editor (portable part): the RTF the program writes, the stream's chunking, the
// window colour, find ranges, paragraph indents in inches and font heights in twips.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Plain text as a one-font RTF document in `font`. "\", "{", "}" are escaped, bytes from 0x80
// become \'hh and every line break (CR LF, CR or LF) a \par, so any text survives the trip.
std::string rich_text_to_rtf(std::string_view text, std::string_view font);

// The plain text of an RTF document, for searching and listing: paragraphs and line breaks as
// CR LF (none at the end), tabs, escaped and \'hh characters; font and colour tables, pictures
// and other destinations left out.
std::string rich_plain_text(std::string_view rtf);

// The same document with its text (never control words, tables or hidden destinations) in upper
// or lower case, Windows-1252 letters included; every formatting code stays where it was.
std::string rich_rtf_change_case(std::string_view rtf, bool upper);

// The largest ".rtf" file a rich window reads at all.
constexpr uint64_t kRichMaxFileBytes = 2'000'000;
// The refusal of a file above that size, naming it and its size ("4.3 MB").
std::string rich_too_large_text(const std::string& name, uint64_t bytes);

// What the platform's rich text control takes in memory for a document, estimated from what it
// keeps for each paragraph (about 3 KB) and each byte; a window that wraps lines also keeps its
// rows, whose cost grows with the square of a paragraph's length.
struct RichCost {
    uint64_t paragraphs = 0;
    uint64_t bytes = 0;  // the estimate
};
RichCost rich_cost(std::string_view rtf, bool wrap);
// What every rich text window open at once may take together: a 32-bit program's memory is
// shared with the document, its pictures and the rest of the program.
constexpr uint64_t kRichCostBudget = 512ull << 20;
// The refusal of a text that would take `cost` while the open windows take `in_use`.
std::string rich_too_costly_text(const std::string& name, const RichCost& cost, uint64_t in_use);

// Hands a text to the control's stream callback in pieces no larger than what it offers.
class RichChunks {
public:
    explicit RichChunks(std::string text) : text_(std::move(text)) {}
    // Copies up to `n` bytes to `out`; the count copied, 0 at the end.
    size_t take(char* out, size_t n);
    bool done() const { return pos_ >= text_.size(); }
private:
    std::string text_;
    size_t pos_ = 0;
};

// Palette index of the window's background for setting 359 (0 white = -1; 1 the object's own
// colour; N the colour that setting 2N-3 names).
int rich_background_index(int setting359, int obj_colour, const std::function<int32_t(int)>& param);

// ---- Find Text.
constexpr int kRichOriginAll = 10112, kRichOriginCursor = 10113, kRichOriginSelection = 10114;
struct RichRange {
    long min = 0, max = -1;
    bool operator==(const RichRange&) const = default;
};
int rich_find_flags(bool forward, bool match_case, bool whole_word);
// The range for the control: a backward search starts at `min` and runs down to `max`.
RichRange rich_find_range(int origin, bool forward, long sel_start, long sel_end, long length);
// Find Next: the range from one character past the caret in the search direction.
RichRange rich_find_next_range(bool forward, long sel_start, long length);

// ---- Paragraph format in twips and the dialog's inches.
struct RichIndents {
    double left = 0, right = 0, first = 0;
};
struct RichPara {
    long start = 0, right = 0, offset = 0;
    bool operator==(const RichPara&) const = default;
};
RichIndents rich_para_to_inches(const RichPara& p);
RichPara rich_inches_to_para(const RichIndents& in);
std::optional<double> rich_parse_real(std::string_view s);
std::string rich_format_inches(double v);

// Font height (the platform's logical height, either sign) to twips and back at `dpi`.
long rich_twips_of_height(int height, int dpi);
int rich_height_of_twips(long twips, int dpi);

// Selected lines sorted as a list box sorts them, split at CR LF, CR or LF, joined by CR (a
// paragraph break of the control).
std::string rich_sort_lines(std::string_view text);
std::vector<std::string> rich_split_lines(std::string_view text);
