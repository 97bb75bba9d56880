// The hypertext editor's text (portable): the encoded text with its inline fields (character 11,
// visible text, character 14, hidden text, character 15), caret and selection, undo and redo,
// find and replace, word boundaries, line ends and the layout of rows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

constexpr char kFieldStart = 11, kFieldSep = 14, kFieldEnd = 15;

// One field: indexes (0-based) of its start marker, separator and end marker.
struct Field {
    size_t start = 0, sep = 0, end = 0;
    bool operator==(const Field&) const = default;
};

// The field that holds caret `c` (0-based, before character c): start < c <= end.
std::optional<Field> field_at(std::string_view text, size_t c);
// Every complete field in order.
std::vector<Field> fields_of(std::string_view text);
// The text without fields, their visible texts kept.
std::string strip_fields(std::string_view text);
// Whether character i is shown: markers and hidden texts are not.
std::vector<bool> visible_mask(std::string_view text);

// Row starts of a layout: breaks at "\r\n", "\n" and "\r"; with wrap > 0 rows are also cut at
// the last blank before they grow wider than `wrap` (a word longer than a row is cut anywhere).
// widths[c] is the width of character c; hidden characters take none; a tab reaches the next
// multiple of `tab`.
struct Layout {
    std::vector<size_t> starts;         // first index of each row
    std::vector<uint8_t> starts_hidden;  // the row begins inside a hidden text (1), a field (2)
    // Index just past the last character shown on row r (before its line break).
    size_t row_end(std::string_view text, size_t r) const;
    size_t row_of(size_t index) const;
};
Layout layout_rows(std::string_view text, const std::array<int, 256>& widths, int wrap, int tab);
// x of caret `c` on its row, and the caret on row r nearest to x.
int layout_x(std::string_view text, const Layout& l, size_t c, const std::array<int, 256>& widths, int tab);
size_t layout_hit(std::string_view text, const Layout& l, size_t r, int x, const std::array<int, 256>& widths, int tab);
// Width of the widest row.
int layout_widest(std::string_view text, const Layout& l, const std::array<int, 256>& widths, int tab);

// Hidden text of a field: two digits of the action code, then the argument.
std::string encode_hidden(int code, std::string_view arg);
struct Hidden {
    int code = 12;
    std::string arg;
    bool operator==(const Hidden&) const = default;
};
// "" is No Action (12); two digits naming a code of the field table give that code; anything
// else is Activate ID (15) of the whole text.
Hidden decode_hidden(std::string_view h);

struct FieldAction {
    int code;
    const char* name;
};
// The 13 actions a field may carry, in the order the Edit Hyperlink dialog lists them.
const std::vector<FieldAction>& field_actions();
std::optional<size_t> field_action_index(int code);

class TextModel {
public:
    explicit TextModel(std::string text = {});

    const std::string& text() const { return text_; }
    size_t size() const { return text_.size(); }
    // Replaces everything; forgets undo; not modified.
    void set_text(std::string text);

    size_t caret() const { return caret_; }
    size_t anchor() const { return anchor_; }
    size_t sel_start() const { return caret_ < anchor_ ? caret_ : anchor_; }
    size_t sel_end() const { return caret_ < anchor_ ? anchor_ : caret_; }
    bool has_selection() const { return caret_ != anchor_; }
    std::string selection() const { return text_.substr(sel_start(), sel_end() - sel_start()); }
    // Clamped to the text; `extend` keeps the anchor.
    void set_caret(size_t c, bool extend = false);
    void select(size_t a, size_t c);

    // Caret stops the user can reach: 0, the end, and just after every shown character.
    size_t next_stop(size_t c) const;
    size_t prev_stop(size_t c) const;
    // Start of the next word / of this or the previous word (Ctrl+Right / Ctrl+Left).
    size_t word_right(size_t c) const;
    size_t word_left(size_t c) const;
    // The word (letters, digits, underscore, apostrophe) that holds c or ends at c.
    std::optional<std::pair<size_t, size_t>> word_at(size_t c) const;

    // Edits. Each is one undo step unless inside a group; typing joins the previous typing.
    void replace(size_t pos, size_t len, std::string_view with, bool typing = false);
    void insert_text(std::string_view s, bool typing = false);  // over the selection
    // Del: the selection, else the character after the caret (a whole field marker run is
    // never split: deleting at a marker deletes nothing).
    void delete_forward();
    void delete_back();
    void begin_group();
    void end_group();

    bool can_undo() const { return !undo_.empty(); }
    bool can_redo() const { return !redo_.empty(); }
    bool undo();
    bool redo();
    bool modified() const { return modified_; }
    void set_modified(bool m) { modified_ = m; }
    // Bumped on every change of the text.
    uint64_t version() const { return version_; }

    // Shown characters of the selection converted; hidden texts keep their case.
    void change_case(bool upper);

    // Fields.
    // A field over the selection with hidden text `hidden`; false when the selection is empty,
    // or overlaps a field (fields never nest).
    bool make_field(std::string_view hidden);
    // Removes the field at the caret, keeping its visible text; false when none.
    bool delete_field_at_caret();
    void strip_all_fields();

    // Find: the next match from `from` (down) or the last before it (up); nullopt when none.
    std::optional<size_t> find(std::string_view what, size_t from, bool down, bool match_case, bool whole_word) const;
    // Replaces every match; the count.
    size_t replace_all(std::string_view what, std::string_view with, bool match_case, bool whole_word);

    // 0-based row and column of the caret by line breaks only.
    std::pair<size_t, size_t> row_col(size_t c) const;

private:
    struct Edit {
        size_t pos;
        std::string removed, inserted;
        size_t caret_before, anchor_before, caret_after;
        int group;
        bool typing;
    };
    void apply(size_t pos, size_t len, std::string_view with);
    bool is_word_char(size_t i) const;
    bool visible(size_t i) const;
    // The first shown character at or after c.
    std::optional<size_t> next_visible(size_t c) const;

    std::string text_;
    size_t caret_ = 0, anchor_ = 0;
    std::vector<Edit> undo_, redo_;
    int group_depth_ = 0, group_id_ = 0, next_group_ = 1;
    bool modified_ = false;
    uint64_t version_ = 0;
};

// Lines of a selection sorted as a sorted list box sorts them, each followed by "\n".
std::string sort_lines(std::string_view selection);
