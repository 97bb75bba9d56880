#include "services/help.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <set>

#include "base/util.h"

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// Numbers separated by blanks or commas; false on anything else.
bool parse_numbers(std::string_view s, std::vector<int>& out) {
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] == ' ' || s[i] == ',' || s[i] == '\t') {
            ++i;
            continue;
        }
        int v = 0;
        auto [p, ec] = std::from_chars(s.data() + i, s.data() + s.size(), v);
        if (ec != std::errc() || v < 0) return false;
        out.push_back(v);
        i = static_cast<size_t>(p - s.data());
    }
    return true;
}

std::string caption_key(std::string_view s) {
    std::string r;
    for (char c : s)
        if (c != '&') r += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    while (!r.empty() && (r.back() == '.' || r.back() == ' ')) r.pop_back();
    return r;
}

void finish(HelpTopic& t, std::string& para) {
    std::string_view p = trim(para);
    if (!p.empty()) {
        if (!t.body.empty()) t.body += "\r\n\r\n";
        t.body += p;
    }
    para.clear();
}

bool contains(const std::string& hay_lower, const std::string& word) { return hay_lower.find(word) != std::string::npos; }

}  // namespace

HelpBook help_parse(std::string_view text) {
    HelpBook book;
    std::set<int> seen, seen_popups;
    bool popup = false;
    HelpTopic* cur = nullptr;
    std::string para;
    bool skipping = false;  // inside a topic whose heading was refused
    int line_no = 0;
    auto error = [&](const std::string& what) { book.errors.push_back("line " + std::to_string(line_no) + ": " + what); };
    auto claim = [&](int n) {
        if (!(popup ? seen_popups : seen).insert(n).second) {
            error("context number " + std::to_string(n) + " used twice");
            return false;
        }
        return true;
    };
    while (!text.empty()) {
        size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++line_no;
        if (!line.empty() && line.front() == '#') continue;
        if (!line.empty() && line.front() == '@') {
            size_t sp = line.find(' ');
            std::string_view word = line.substr(1, sp == std::string_view::npos ? line.npos : sp - 1);
            std::string_view rest = sp == std::string_view::npos ? std::string_view{} : trim(line.substr(sp + 1));
            if (word == "topic" || word == "popup") {
                popup = word == "popup";
                if (cur) finish(*cur, para);
                cur = nullptr;
                skipping = true;
                int n = -1;
                auto [p, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), n);
                std::string_view title = trim(rest.substr(static_cast<size_t>(p - rest.data())));
                if (ec != std::errc() || n < 0 || title.empty()) {
                    error("a topic needs a number and a title");
                    continue;
                }
                if (!claim(n)) continue;
                auto& list = popup ? book.popups : book.topics;
                list.push_back({});
                cur = &list.back();
                cur->id = n;
                cur->title = title;
                skipping = false;
                continue;
            }
            if (!cur) {
                if (!skipping) error("@" + std::string(word) + " before the first topic");
                continue;
            }
            std::vector<int> nums;
            if (word == "also" || word == "see") {
                if (!parse_numbers(rest, nums)) {
                    error("not a list of numbers");
                    continue;
                }
                for (int n : nums)
                    if (word == "see") cur->see.push_back(n);
                    else if (claim(n)) cur->also.push_back(n);
            } else if (word == "keys") {
                while (!rest.empty()) {
                    size_t semi = rest.find(';');
                    if (auto k = trim(rest.substr(0, semi)); !k.empty()) cur->keys.emplace_back(k);
                    rest = semi == std::string_view::npos ? std::string_view{} : rest.substr(semi + 1);
                }
            } else if (word == "window") {
                if (!rest.empty()) cur->windows.emplace_back(rest);
            } else if (word == "card") {
                int n = -1;
                auto [p, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), n);
                std::string_view label = trim(rest.substr(static_cast<size_t>(p - rest.data())));
                if (ec != std::errc() || n < 100 || n > 299 || label.empty()) error("a card needs a number from 100 to 299 and a label");
                else cur->cards.push_back({n, std::string(label)});
            } else {
                error("unknown line @" + std::string(word));
            }
            continue;
        }
        if (!cur) {
            if (!skipping && !trim(line).empty()) error("text before the first topic");
            continue;
        }
        if (trim(line).empty()) {
            finish(*cur, para);
        } else if (line.front() == ' ' || line.front() == '-') {
            // Indented and list lines keep their own line.
            if (!para.empty()) para += "\r\n";
            para += line;
        } else {
            if (!para.empty()) para += ' ';
            para += trim(line);
        }
    }
    if (cur) finish(*cur, para);
    // Links to topics that do not exist would open the contents; report them.
    for (auto& t : book.topics)
        for (int s : t.see)
            if (!help_find(book, s)) book.errors.push_back("topic " + std::to_string(t.id) + " links to missing " + std::to_string(s));
    return book;
}

const HelpTopic* help_find(const HelpBook& book, int n) {
    for (auto& t : book.topics)
        if (t.id == n || std::find(t.also.begin(), t.also.end(), n) != t.also.end()) return &t;
    return nullptr;
}

const HelpTopic* help_find_popup(const HelpBook& book, int n) {
    for (auto& t : book.popups)
        if (t.id == n || std::find(t.also.begin(), t.also.end(), n) != t.also.end()) return &t;
    return nullptr;
}

namespace {
const HelpTopic* by_keyword(const std::vector<HelpTopic>& list, std::string_view key) {
    std::string k = util_lower(trim(key));
    if (k.empty()) return nullptr;
    for (auto& t : list)
        for (auto& tk : t.keys)
            if (util_lower(tk) == k) return &t;
    return nullptr;
}
}  // namespace

const HelpTopic* help_popup_by_keyword(const HelpBook& book, std::string_view key) { return by_keyword(book.popups, key); }

const HelpTopic* help_resolve(const HelpBook& book, int n) {
    if (auto t = help_find(book, n)) return t;
    if (auto t = help_find(book, 0)) return t;
    return book.topics.empty() ? nullptr : &book.topics.front();
}

const HelpTopic* help_by_keyword(const HelpBook& book, std::string_view key) { return by_keyword(book.topics, key); }

const HelpTopic* help_by_window(const HelpBook& book, std::string_view caption) {
    std::string c = caption_key(caption);
    if (c.empty()) return nullptr;
    for (auto& t : book.topics)
        for (auto& w : t.windows)
            if (caption_key(w) == c) return &t;
    return nullptr;
}

std::vector<HelpIndexEntry> help_index(const HelpBook& book, std::string_view prefix) {
    std::string p = util_lower(trim(prefix));
    std::vector<HelpIndexEntry> out;
    auto add = [&](const std::string& k, int id) {
        if (util_lower(k).compare(0, p.size(), p) == 0) out.push_back({k, id});
    };
    for (auto& t : book.topics) {
        add(t.title, t.id);
        for (auto& k : t.keys)
            if (util_lower(k) != util_lower(t.title)) add(k, t.id);
    }
    std::stable_sort(out.begin(), out.end(), [](const HelpIndexEntry& a, const HelpIndexEntry& b) {
        return util_lower(a.key) < util_lower(b.key);
    });
    return out;
}

std::vector<int> help_search(const HelpBook& book, std::string_view query) {
    std::vector<std::string> words;
    std::string w;
    for (char c : std::string(query) + " ") {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '\'') {
            w += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!w.empty()) {
            words.push_back(w);
            w.clear();
        }
    }
    if (words.empty()) return {};
    std::vector<int> in_title, in_text;
    for (auto& t : book.topics) {
        std::string title = util_lower(t.title);
        std::string all = title + "\n" + util_lower(t.body);
        for (auto& k : t.keys) all += "\n" + util_lower(k);
        if (!std::all_of(words.begin(), words.end(), [&](const std::string& x) { return contains(all, x); })) continue;
        bool t_hit = std::any_of(words.begin(), words.end(), [&](const std::string& x) { return contains(title, x); });
        (t_hit ? in_title : in_text).push_back(t.id);
    }
    in_title.insert(in_title.end(), in_text.begin(), in_text.end());
    return in_title;
}

namespace {

struct Range {
    int first, last, topic;
    bool step;  // topic + (id - first)
};
constexpr Range kRanges[] = {
    {10635, 10650, 32, false},  {10601, 10616, 37, false},  {10578, 10582, 283, true}, {10583, 10587, 80, false},
    {10561, 10566, 108, false}, {10402, 10405, 122, false}, {10059, 10060, 321, false}, {10529, 10534, 217, false},
    {10330, 10333, 194, false}, {10177, 10181, 255, false}, {10182, 10185, 319, false},
};

struct Row {
    int control, topic;
};
// The first rows are the web dialogs'; every other dialog's controls follow, dialog by dialog.
constexpr Row kControls[] = {
    {1, 11},      {2, 12},      {10056, 320}, {10057, 322}, {10058, 325}, {10061, 356}, {10062, 357}, {10063, 358},
    {10033, 323}, {10035, 324}, {10039, 331}, {10041, 332}, {10042, 333}, {10043, 355}, {10045, 359},
    // Analyzer
    {10308, 400}, {10309, 401}, {10307, 402}, {10317, 403}, {10310, 404}, {10314, 405},
    {10312, 406}, {10306, 407},
    // Zoom
    {10122, 408},
    // Preference
    {10079, 409}, {10081, 410}, {10083, 411}, {10084, 412}, {10085, 413}, {10086, 414},
    {10087, 415}, {10089, 416},
    // Toolbar Editor
    {10510, 417}, {10513, 418}, {10514, 419}, {10508, 420},
    // Background
    {10664, 421}, {10665, 422}, {10666, 423}, {10663, 424}, {10670, 425}, {10667, 426},
    {10668, 427}, {10669, 428}, {10673, 429}, {10671, 430}, {10672, 431},
    // Slideshow Settings
    {10216, 432}, {10221, 433}, {10217, 434}, {10218, 435}, {10223, 436}, {10219, 437},
    // Level
    {13001, 438}, {13002, 439},
    // Shift
    {10422, 440}, {10421, 441}, {10424, 442}, {10423, 443}, {10425, 444}, {10426, 445},
    {10427, 446}, {10428, 447},
    // Object Properties
    {10467, 448}, {10478, 449}, {10497, 450}, {10487, 451}, {10505, 452}, {10477, 453},
    {10495, 454}, {10504, 455}, {10503, 456}, {10468, 457}, {10471, 458}, {10472, 459},
    {10476, 460}, {10479, 461}, {10473, 462}, {10499, 463}, {10501, 464}, {10470, 465},
    {10488, 466}, {10494, 467}, {10469, 468}, {10492, 469}, {10493, 470}, {10474, 471},
    {10475, 472}, {10496, 473},
    // Icon Browser
    {10556, 474}, {10560, 475}, {10555, 476}, {10557, 477}, {10558, 478}, {10567, 479},
    {10553, 480}, {10554, 481}, {10569, 482}, {10568, 483}, {10572, 484}, {10571, 485},
    // Link Properties
    {10430, 486}, {10431, 487}, {10432, 488}, {10433, 489}, {10434, 490}, {10435, 491},
    {10436, 492}, {10452, 493}, {10454, 494}, {10458, 495}, {10463, 496}, {10464, 497},
    {10437, 498}, {10438, 499}, {10439, 500}, {10440, 501}, {10441, 502}, {10442, 503},
    {10443, 504}, {10451, 505}, {10461, 506}, {10444, 507}, {10445, 508}, {10456, 509},
    {10457, 510}, {10455, 511},
    // Link Defaults
    {10370, 512}, {10371, 513}, {10372, 514}, {10373, 515}, {10369, 516},
    // Object Defaults
    {10195, 517}, {10188, 518}, {10191, 519}, {10193, 520}, {10203, 521}, {10199, 522},
    {10201, 523}, {10196, 524}, {10197, 525}, {10189, 526},
    // Cluster Settings
    {10160, 527}, {10162, 528},
    // Sequence Settings
    {10319, 529}, {10321, 530}, {10322, 531}, {10323, 532}, {10326, 533}, {10327, 534},
    {10328, 535}, {10329, 536}, {10336, 537}, {10338, 538}, {10339, 539}, {10340, 540},
    // Compute
    {10410, 541}, {10411, 542}, {10412, 543}, {10413, 544},
    // Checklist
    {10595, 545}, {10596, 546}, {10621, 547}, {10597, 548}, {10617, 549}, {10620, 550},
    {10598, 551}, {10622, 552}, {10600, 553}, {10623, 554}, {10624, 555}, {10599, 556},
    {10618, 557}, {10619, 558},
    // Questions
    {10525, 559}, {10538, 560}, {10541, 561}, {10535, 562}, {10536, 563}, {10537, 564},
    {10526, 565}, {10527, 566}, {10539, 567}, {10528, 568}, {10542, 569},
    // Random Words
    {10165, 570}, {10166, 571}, {10167, 572}, {10172, 573}, {10164, 574}, {10168, 575},
    {10170, 576}, {10169, 577}, {10171, 578},
    // Previous Answers
    {10092, 579}, {10093, 580}, {10091, 581},
    // Advisor question
    {13321, 582}, {13322, 583}, {13323, 584},
    // Generate Ideas
    {10353, 585}, {10364, 586}, {10365, 587}, {10366, 588}, {10356, 589}, {10357, 590},
    {10360, 591}, {10361, 592}, {10363, 593}, {10352, 594}, {10362, 595}, {10367, 596},
    // Checklist Editor
    {10629, 597}, {10631, 598}, {13340, 599}, {13341, 599}, {13342, 599}, {13343, 599},
    {13344, 599}, {13345, 599}, {13346, 599}, {13347, 599}, {13348, 599}, {13349, 599},
    {13350, 599}, {13351, 599}, {13352, 599}, {13353, 599}, {13354, 599}, {13355, 599},
    {10632, 600}, {10633, 601}, {10634, 602}, {10651, 603},
    // Add New Checklist
    {10654, 604}, {10656, 605},
    // Font
    {10591, 606}, {10592, 606}, {10593, 606},
    // Picture Browser
    {10095, 607}, {10098, 608}, {10099, 609}, {10103, 610}, {10101, 611}, {10104, 612},
    {10106, 613}, {10105, 614},
    // Capture Picture
    {10011, 615}, {10012, 616}, {10014, 617}, {10015, 618}, {10016, 619}, {10030, 620},
    {10020, 621}, {10019, 622}, {10025, 623}, {10026, 624}, {10027, 625}, {10028, 626},
    {10024, 627}, {10029, 628},
    // Print
    {10384, 629}, {10385, 630}, {10381, 631}, {10382, 632}, {10391, 633}, {10394, 634},
    {10389, 635}, {10393, 636}, {10383, 637}, {10396, 638},
    // File Information
    {10549, 639}, {10551, 640}, {10547, 641}, {10546, 642},
    // Find Text
    {10110, 643}, {10112, 644}, {10113, 645}, {10114, 646}, {10116, 647}, {10117, 648},
    {10119, 649}, {10120, 650},
    // Richtext Format
    {10068, 651}, {10069, 652}, {10070, 653}, {10071, 654}, {10074, 655}, {10075, 656},
    {10076, 657},
    // Insert Text
    {10406, 658}, {10398, 659}, {10401, 660}, {10399, 661}, {10400, 662}, {10408, 663},
    {10407, 664},
    // Find Objects
    {10347, 665}, {10348, 666}, {10344, 667}, {10343, 668}, {10349, 669}, {10346, 670},
    {10350, 671},
    // Find Links
    {10419, 672}, {10416, 673}, {10417, 674},
    // Shape Properties
    {10696, 675}, {10707, 676}, {10723, 677}, {10722, 678}, {10697, 679}, {10716, 680},
    {10698, 681}, {10699, 682}, {10700, 683}, {10701, 684}, {10702, 685}, {10712, 686},
    {10718, 687}, {10719, 688}, {10709, 689}, {10708, 690}, {10710, 691}, {10711, 692},
    {10714, 693}, {10715, 694}, {10713, 695},
    // Shape Defaults
    {10379, 696}, {10375, 697}, {10376, 698}, {10377, 699},
    // Clone a Shape
    {10257, 700}, {10262, 701}, {10263, 702}, {10264, 703}, {10265, 704},
    // Plot Points
    {10227, 705}, {10230, 706}, {10231, 707}, {10235, 708}, {10236, 709}, {10237, 710},
    {10238, 711}, {10239, 712}, {10225, 713}, {10240, 714},
    // Clear Points
    {10244, 715}, {10245, 716}, {10246, 717}, {10247, 718},
    // Point Properties
    {10250, 719}, {10253, 720}, {10254, 721},
    // Encrypt/Decrypt File
    {10276, 722}, {10275, 723},
    // Files
    {10279, 724},
    // Snap
    {10283, 725},
    // Spell Check
    {10143, 726}, {10144, 727}, {10145, 728}, {10146, 729}, {10147, 730}, {10153, 731},
    {10154, 732}, {10148, 733}, {10149, 734}, {10150, 735}, {10151, 736}, {10152, 737},
    // Edit Hyperlink
    {10269, 738}, {10273, 739}, {10267, 740}, {10272, 741},
    // Select ID
    {12021, 742},
    // Password needed to access URL
    {10048, 743}, {10050, 744}, {10052, 745}, {10053, 746},
};

}  // namespace

int help_topic_of_control(int id) {
    for (auto& r : kRanges)
        if (id >= r.first && id <= r.last) return r.step ? r.topic + (id - r.first) : r.topic;
    for (auto& r : kControls)
        if (r.control == id) return r.topic;
    return 0;
}

std::vector<int> help_control_topics() {
    std::set<int> s;
    for (auto& r : kRanges)
        for (int id = r.first; id <= r.last; ++id) s.insert(help_topic_of_control(id));
    for (auto& r : kControls) s.insert(r.topic);
    return {s.begin(), s.end()};
}
