// The help book: topics read from the program's topic file, with look-up by context number,
// keyword and words of the text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// A training card a topic offers: its number goes to the main window as WM_TCARD (101-116 open a
// sample document, 200-299 run a menu command).
struct HelpCard {
    int number = 0;
    std::string label;
    bool operator==(const HelpCard&) const = default;
};

struct HelpTopic {
    int id = 0;
    std::vector<int> also;  // further context numbers served by this topic
    std::string title;
    std::vector<std::string> keys;
    std::vector<std::string> windows;  // captions whose F1 opens this topic
    std::vector<int> see;
    std::vector<HelpCard> cards;
    std::string body;  // paragraphs separated by "\r\n\r\n", ready for an edit control
};

struct HelpBook {
    std::vector<HelpTopic> topics;  // in file order; the contents list shows them so
    std::vector<HelpTopic> popups;  // context help of dialog controls: numbers of their own
    std::vector<std::string> errors;  // "line N: ..." for lines that were skipped
};

// Lines: "@topic N Title" starts a topic, "@popup N Title" a control's pop-up text; "@also N M", "@keys a; b", "@window Caption",
// "@see N M" and "@card N Label" (a training card) describe it; "#" at the start of a line is a
// comment; other lines are its text, joined into paragraphs at blank lines.
HelpBook help_parse(std::string_view text);

// The topic serving context number n, or null.
const HelpTopic* help_find(const HelpBook& book, int n);
// The pop-up text for a control's context number, or null.
const HelpTopic* help_find_popup(const HelpBook& book, int n);
// First pop-up with that keyword (case-insensitive), or null.
const HelpTopic* help_popup_by_keyword(const HelpBook& book, std::string_view key);
// The topic for a context number: n's own, else the contents (topic 0), else the first.
const HelpTopic* help_resolve(const HelpBook& book, int n);
// First topic with that keyword (case-insensitive), or null.
const HelpTopic* help_by_keyword(const HelpBook& book, std::string_view key);
// First topic naming that window caption (case-insensitive, "&" and "..." ignored), or null.
const HelpTopic* help_by_window(const HelpBook& book, std::string_view caption);

struct HelpIndexEntry {
    std::string key;
    int topic;
};
// Every keyword and title, sorted case-insensitively; only those starting with prefix.
std::vector<HelpIndexEntry> help_index(const HelpBook& book, std::string_view prefix = {});
// Topics holding every word of the query in title, keywords or text; title hits first.
std::vector<int> help_search(const HelpBook& book, std::string_view query);

// Context help of a dialog control: range rules, then the table, else 0.
int help_topic_of_control(int control_id);
// Every context number a control can map to (for the check that each has a topic).
std::vector<int> help_control_topics();
