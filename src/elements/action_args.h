// Object actions (portable part): how an action extension names a document, level and ID, the
// file types of the file actions, which actions a slideshow allows, and the texts the toggle,
// spin, clone and DDE actions work on.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A document-like extension: "file", "file 3", "file 3 ID", "\"long name\" 2 ID", "file ID".
struct DocArg {
    std::string file;
    int level = 1;
    std::string id;
    bool operator==(const DocArg&) const = default;
};
DocArg action_split_doc_arg(std::string_view ext);

// A short text whose first '.' is followed by fewer than 4 characters names a file.
bool action_contents_is_file(std::string_view text);

struct PrimeFile {
    std::vector<std::pair<std::string, std::string>> filters;  // (name, mask)
    std::string mask;
};
std::optional<PrimeFile> action_prime_file_get(int code);

// During a slideshow only the moves between documents and levels run.
bool action_allowed_in_slideshow(int code);

// Toggle: "=1" becomes "=0", anything else "=1".
std::string action_toggle_text(std::string_view text);

// Lines of a text cut at line feeds (trailing line feeds and carriage returns removed first).
std::vector<std::string> action_lines(std::string_view text);

// Clone: the text the record of object `id` holds in a document's text; nullopt when absent.
// When the text stops reading as records before `id` is met, `error` (if given) says where
// ("line 3: ...") and stays empty otherwise.
std::optional<std::string> action_clone_text(std::string_view file_text, std::string_view id,
                                             std::string* error = nullptr);

// DDE: 29 "service file"; 31 and 32 "service topic [command or item".
struct DdeArg {
    std::string service, topic, command;
    bool operator==(const DdeArg&) const = default;
};
std::optional<DdeArg> action_dde_split(int code, std::string_view ext);

// Training cards 101 to 116: the sample document of a card, "" for another number.
std::string action_tcard_document(int number);
// Training cards 200 to 299: the main-menu command a card runs, 0 for a number without one.
// Card 200 names command 999, which nothing handles.
int action_tcard_command(int number);

// What the sound action plays: a system sound's name, the extension itself (a command with
// arguments), or a file to be located.
enum class SoundKind { System, Command, File };
SoundKind action_sound_kind(std::string_view ext);

// Depth at which an activation that activates others (Activate ID, clusters) stops.
constexpr int kActionDepthLimit = 16;
