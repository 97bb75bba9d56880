// Checklists (portable): the index of checklists with their topics, the check states kept per
// checklist file, the items of a checklist and the random pick the other idea tools share.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/record.h"

// Random integer 0..n-1 (0 when n <= 0); tests pass a fixed sequence.
using RandomInt = std::function<int(int n)>;
RandomInt clist_default_random();

struct ClistEntry {
    std::string file;  // lower-cased
    std::string desc;
    uint32_t topics = 0;  // bit I = topic I + 1
    int32_t extra = 0;
    bool operator==(const ClistEntry&) const = default;
};

struct ClistIndex {
    std::vector<ClistEntry> entries;
    std::vector<std::pair<int, std::string>> topics;  // (1..16, name), file order
    std::vector<rec::Record> others;                  // unknown records, written back as read
    std::vector<std::string> damaged;                 // lines that did not read, written back as they were

    const ClistEntry* by_file(std::string_view file) const;  // compared lower-cased
    const ClistEntry* by_desc(std::string_view desc) const;
    // "" when topic n has no name.
    std::string topic_name(int n) const;
    void set_topic(int n, const std::string& name);
    // Topics 1 and 2 are named "Topic 1" and "Topic 2" when they have no record.
    void add_default_topics();
};

// Reads an index; a line that does not read is kept in `damaged` and the others are read:
// false, with `err` naming the first such line.
bool clist_parse_index(std::string_view text, ClistIndex& out, std::string* err = nullptr);
std::string clist_write_index(const ClistIndex& idx);

// The label of a topic box: "Topic N" for an empty name; `star` marks the shown file's topics.
std::string clist_topic_label(const ClistIndex& idx, int n, bool star);
// A topic named by a single blank is switched off.
bool clist_topic_enabled(const ClistIndex& idx, int n);

// Descriptions whose topics hold every topic of `filter`, sorted as a list box sorts them.
std::vector<std::string> clist_filter(const ClistIndex& idx, uint32_t filter);

// A list file's text as the program keeps text: one saved as UTF-8 (with a byte-order mark, or
// without one when it holds characters beyond ASCII and reads as UTF-8) in Windows-1252.
std::string clist_list_text(std::string raw);
// The note for a list file cut to its first `cap` bytes.
std::string clist_cut_note(const std::string& file, unsigned long long bytes, size_t cap);

// One item per line; the text after the last line feed is an item unless empty.
std::vector<std::string> clist_items(std::string_view text);

// The checklist an item links to: the item less trailing "]" names a description.
const ClistEntry* clist_link(const ClistIndex& idx, std::string_view item);

struct ClistChecks {
    std::string file;
    int32_t day = 0;
    std::vector<int> items;
    bool operator==(const ClistChecks&) const = default;
};
// Reads check states as the index is read; lines that do not read go to `damaged` when given.
bool clist_parse_checks(std::string_view text, std::vector<ClistChecks>& out, std::string* err = nullptr,
                        std::vector<std::string>* damaged = nullptr);
std::string clist_write_checks(const std::vector<ClistChecks>& checks, const std::vector<std::string>& damaged = {});
// What to write when the file holds `disk` now (another running copy may have written it): its
// records, with those of the checklists in `changed` taken from `ours` (none when ours has none).
std::vector<ClistChecks> clist_merge_checks(std::vector<ClistChecks> disk, const std::vector<ClistChecks>& ours,
                                            const std::vector<std::string>& changed);
// Replaces the record of `file` by one at the end; drops every record with no ticks.
void clist_record_checks(std::vector<ClistChecks>& checks, const std::string& file, int32_t day,
                         const std::vector<int>& items);
const ClistChecks* clist_find_checks(const std::vector<ClistChecks>& checks, std::string_view file);
void clist_drop_checks(std::vector<ClistChecks>& checks, std::string_view file);

// The Checklist dialog's title: "% Checklists - %s Selected % of % items" with the number of
// checklists listed, the file shown and its ticks; "Checklist - none selected" without a file.
std::string clist_title(int lists, const std::string& file, int selected, int count);

// The line holding a random character position; nullopt for an empty text.
std::optional<std::string> clist_random_line(std::string_view text, const RandomInt& rnd);

// The items of a checklist text that link to a renamed description (old, new) made to link to
// its new one, all renames at once; nullopt when no item does.
std::optional<std::string> clist_rename_links(std::string_view text,
                                              const std::vector<std::pair<std::string, std::string>>& renames);
// The first entry with an empty description or one another entry has: the message, and its file
// in `which`; nullopt when every entry is sound.
std::optional<std::string> clist_entry_fault(const ClistIndex& idx, std::string* which);
