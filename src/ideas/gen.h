// Generate Ideas (portable): objects as word lists, names expanded into idea combinations.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ideas/clist.h"

struct GenOptions {
    int count = 1;
    bool sequential = false;
    bool no_repeat = true;
    bool capitalize = true;
    std::string contains, skip;
};

struct GenResult {
    std::vector<std::string> lines;  // list box lines ("|" pieces indented)
    bool capped = false;             // an expansion was stopped (a list naming itself)
    std::string capped_by;           // the object whose list named itself
    std::vector<std::string> missing;  // list files that could not be read, once each
};

// The entries of the object with this ID; nullopt when no object has it. `missing` is set
// when the object names a text file that cannot be read.
using GenEntries = std::function<std::optional<std::vector<std::string>>(const std::string& id, std::string* missing)>;

// Entries from an object's text: leading line breaks dropped, CRs removed, empty lines at the end
// dropped.
std::vector<std::string> gen_split_entries(const std::string& text);

GenResult gen_generate(const std::string& start, const GenOptions& opt, const GenEntries& entries, const RandomInt& rnd);

// The filters on an idea (after "+" became blanks).
bool gen_contains(const std::string& idea, const std::string& words);
bool gen_skip(const std::string& idea, const std::string& words);
bool gen_has_repeat(const std::string& idea);
// The list lines of an idea: pieces at "|", later ones indented by two blanks.
std::vector<std::string> gen_show(const std::string& idea, bool capitalize);

constexpr int kGenMaxRounds = 100;
constexpr size_t kGenMaxText = 64 * 1024;
