// The diagram document: its records and settings, kept in memory, read from and written to
// record text. Portable: no window code here. The view owns the one current document.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/key.h"
#include "base/record.h"

// j_: one object.
struct Obj {
    Key key = 0;
    std::string id;
    int32_t level = 0, x = 0, y = 0, colour = 0, action = 0, shape = 0, size = 0, flags = 1;
    int32_t geom = 0;   // packed text-window geometry, 0 = none
    int32_t extra = 0;  // carried unchanged
    std::string ext;    // action extension: hypertext, file name, formula ...
    bool operator==(const Obj&) const = default;
};

// b_: one link.
struct Link {
    Key from = 0, to = 0;
    int32_t flags = 0;
    int32_t kind = 0;               // route * 256 + line style
    int32_t label_pos_colour = 0;   // label position * 65536 + colour
    int32_t end_positions = 0;      // to-end * 256 + from-end
    std::string label;
    int route() const { return kind / 256; }
    bool operator==(const Link&) const = default;
};

// The style bit of a shape that belongs to a group.
constexpr int32_t kShapeGroupBit = 0x20;

// s_: one free shape.
struct Shape {
    Key key = 0;
    int32_t kind = 0, level = 0;
    int32_t colour_curve = 0;  // low byte palette index, high byte curvature 0-64
    int32_t style = 0;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    // Which group a shape whose style has the group bit (0x20) belongs to, kept in a
    // shape_group_ record of its own. 0 (files written before groups had numbers): all such
    // shapes of a level form one group.
    int32_t group = 0;
    bool operator==(const Shape&) const = default;
};

// Groups of shapes: a new group's number (the first unused from 1), and `keys` with every shape
// of each group one of them belongs to (same level and number).
int32_t shape_group_free(const std::vector<Shape>& shapes);
std::vector<Key> shape_with_groups(const std::vector<Shape>& shapes, const std::vector<Key>& keys);
// Gives the grouped shapes of `added` numbers no group of `existing` has, one per group they
// brought (pasted copies form groups of their own, never join the originals').
void shape_groups_renumber(std::vector<Shape>& added, const std::vector<Shape>& existing);

// xy_: one plotted point; colour is a colour value 0x00BBGGRR.
struct PlotPoint {
    int32_t style = 0, level = 0, x = 0, y = 0, colour = 0;
    bool operator==(const PlotPoint&) const = default;
};

struct SeqEntry {
    Key key = 0;
    int32_t number = 0;
    std::string text;
    bool operator==(const SeqEntry&) const = default;
};

// bin_: an attachment of an object (1 embedded picture, 2 file name of a picture object).
struct Attachment {
    Key key = 0;
    int32_t kind = 0;
    std::string name;
    int32_t a = 0, b = 0;
    std::string data;
    bool operator==(const Attachment&) const = default;
};

struct LoadError {
    uint32_t line = 0;
    std::string message;
};

constexpr int kFormatVersion = 20110;
constexpr int kNewestReadableVersion = 20199;

class Document {
public:
    Document();  // a new empty document: p_(1,1) and p_(350,20110)

    // Content records, in stored order.
    std::vector<Obj> objs;
    std::vector<Link> links;
    std::vector<Shape> shapes;
    std::map<int, int32_t> params;          // p_: only values that differ from the defaults
    std::map<int, std::string> text_params; // q_
    std::vector<std::pair<Key, std::string>> values;  // f_: computed values
    std::string x_records;                  // x_: carried unchanged, as read, each line ending CR LF
    std::vector<PlotPoint> points;
    std::vector<SeqEntry> seq;
    std::vector<std::pair<Key, int32_t>> clusters;    // c_
    std::vector<std::pair<Key, std::string>> drop_texts;
    std::vector<Attachment> bins;
    std::string unknown;                    // records of other names, the same way

    bool changed = false;
    // Setting 350 as the file read held it (0: an older format); the settings always say the
    // current format, in which the document is saved.
    int32_t file_version = kFormatVersion;
    // Differs after every edit and between documents: what is worked out from the records
    // (the spatial index) is made again when it changes.
    uint64_t revision = next_revision();
    static uint64_t next_revision();
    void bump() { revision = next_revision(); }

    // Objects by key; the index is rebuilt lazily after the vector changes shape.
    Obj* obj(Key key);
    const Obj* obj(Key key) const;
    int obj_index(Key key) const;  // -1 when absent
    // Call after changing keys in place or erasing objects; appends through add_obj keep it.
    void touch_objs() { index_valid_ = false; bump(); }
    // Appends an object, keeping the key index current.
    Obj& add_obj(Obj o);

    // First free key from 1, or nullopt when all 65535 are taken.
    std::optional<Key> free_obj_key() const;
    std::optional<Key> free_shape_key() const;

    Shape* shape(Key key);
    Link* link(Key from, Key to);  // first link from -> to

    // Settings: stored value, else built-in default, else 0 / "".
    int32_t param(int code) const;
    std::string text_param(int code) const;
    // Returns true when the value changed; drops the record when it equals the default.
    bool set_param(int code, int32_t v);
    bool set_text_param(int code, std::string_view t);

    static std::optional<int32_t> default_param(int code);
    static std::optional<std::string> default_text_param(int code);

    // Settings a dialog shows before they are kept (the Background dialog's choices): painted in
    // place of the stored values, never saved, never part of an undo step, gone with the document.
    std::map<int, int32_t> shown_params;
    std::map<int, std::string> shown_text_params;
    int32_t shown_param(int code) const;
    std::string shown_text_param(int code) const;

    const std::string* value(Key key) const;  // f_
    void set_value(Key key, std::string text);
    void clear_value(Key key);
    int32_t cluster(Key key) const;
    void set_cluster(Key key, int32_t code);

    // Removes every record of object `key`: links touching it, value, cluster, seq, attachments.
    void remove_obj(Key key);
    // Removes the objects at `places` (positions in objs) in one pass over each record kind;
    // the records of a key go with the last object that holds it. Gives the objects removed.
    size_t remove_objs_at(const std::vector<uint32_t>& places);

    // The whole document as record text in the file's record order.
    std::string to_text() const;
    // Reads record text into this (empty) document; false with the line of the first fault.
    // Old versions are accepted (and brought to the current one); too-new ones are refused.
    static bool from_text(std::string_view text, Document& out, LoadError& err);

private:
    mutable std::vector<int32_t> value_index_;  // key -> position in values + 1
    mutable uint64_t value_index_revision_ = 0, value_index_edits_ = 0;
    uint64_t value_edits_ = 0;  // set_value and clear_value calls
    mutable size_t value_index_size_ = 0;
    mutable const void* value_index_data_ = nullptr;
    mutable std::vector<int32_t> index_;  // key -> position + 1
    mutable bool index_valid_ = false;
    mutable size_t indexed_size_ = 0;     // objs.size() when the index was last made current
    void rebuild_index() const;
};
