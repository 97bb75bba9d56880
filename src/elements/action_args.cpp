#include "elements/action_args.h"

#include <iterator>

#include "base/record.h"
#include "base/util.h"
#include "resources/ids.h"

namespace {

// The tail after the file: a level, a level and an ID, or an ID alone.
void split_tail(std::string_view t, DocArg& a) {
    if (auto n = util_str_to_int(t)) {
        a.level = *n;
        return;
    }
    size_t blank = t.find(' ');
    if (blank != std::string_view::npos) {
        if (auto n = util_str_to_int(t.substr(0, blank))) {
            a.level = *n;
            a.id = std::string(t.substr(blank + 1));
            return;
        }
    }
    a.id = std::string(t);
}

}  // namespace

DocArg action_split_doc_arg(std::string_view ext) {
    DocArg a;
    if (ext.size() >= 2 && ext.front() == '"' && ext.back() == '"') {
        a.file = std::string(ext.substr(1, ext.size() - 2));
        return a;
    }
    if (!ext.empty() && ext.front() == '"') {
        size_t q = ext.find('"', 1);
        if (q == std::string_view::npos) {
            a.file = std::string(ext.substr(1));
            return a;
        }
        a.file = std::string(ext.substr(1, q - 1));
        std::string_view rest = ext.substr(std::min(ext.size(), q + 2));
        if (!rest.empty()) split_tail(rest, a);
        return a;
    }
    size_t dot = ext.find('.');
    size_t blank = dot == std::string_view::npos ? dot : ext.find(' ', dot);
    if (blank != std::string_view::npos) {
        a.file = std::string(ext.substr(0, blank));
        split_tail(ext.substr(blank + 1), a);
        return a;
    }
    a.file = std::string(ext);
    return a;
}

bool action_contents_is_file(std::string_view text) {
    if (text.size() >= 40) return false;
    size_t dot = text.find('.');
    return dot != std::string_view::npos && text.size() - dot - 1 < 4;
}

std::optional<PrimeFile> action_prime_file_get(int code) {
    const std::pair<std::string, std::string> all{"All Files(*.*)", "*.*"}, vrn{"Vorn Files(*.vrn)", "*.vrn"};
    switch (code) {
    case 39: return PrimeFile{{all}, "*.*"};
    case 1: return PrimeFile{{{"Text Files(*.txt)", "*.txt"}, all}, "*.txt"};
    case 38: return PrimeFile{{{"Source Files(*.*)", "*.*"}}, "*.*"};
    case 6: case 40: return PrimeFile{{vrn}, "*.vrn"};
    case 7: return PrimeFile{{{"Clone Files(*.vrn)", "*.vrn"}}, "*.vrn"};
    case 8: return PrimeFile{{{"Programs(*.exe)", "*.exe"}}, "*.exe"};
    case 37: return PrimeFile{{{"Help Files(*.hlp)", "*.hlp"}}, "*.hlp"};
    case 24:
        return PrimeFile{{{"Wave Files(*.wav)", "*.wav"},
                          {"Midi Files(*.mid)", "*.mid"},
                          {"AVI Files(*.avi)", "*.avi"},
                          {"Mpeg Files(*.mpg)", "*.mpg"},
                          all},
                         "*.wav"};
    case 19: return PrimeFile{{{"Checklist Files(*.l)", "*.l"}}, "*.l"};
    default: return std::nullopt;
    }
}

bool action_allowed_in_slideshow(int code) {
    return util_member_int(code, {6, 14, 23, 11, 9, 10, 25, 40});
}

std::string action_toggle_text(std::string_view text) { return text == "=1" ? "=0" : "=1"; }

std::vector<std::string> action_lines(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    std::vector<std::string> out;
    if (text.empty()) return out;
    size_t i = 0;
    while (true) {
        size_t nl = text.find('\n', i);
        std::string line(text.substr(i, nl == std::string_view::npos ? std::string_view::npos : nl - i));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(std::move(line));
        if (nl == std::string_view::npos) break;
        i = nl + 1;
    }
    return out;
}

std::optional<std::string> action_clone_text(std::string_view file_text, std::string_view id, std::string* error) {
    if (error) error->clear();
    // Read as records, so that escaped quotes and parentheses inside texts are only text.
    rec::Reader r(file_text);
    rec::RecordView v;
    while (r.next(v)) {
        if (v.name != "j_" || v.arity() < 3 || v.arg(1).kind != rec::Kind::Str || v.arg(1).text() != id) continue;
        for (size_t k = 2; k < v.arity(); ++k)
            if (v.arg(k).kind == rec::Kind::Str) return v.arg(k).text();
        return std::nullopt;
    }
    // A damaged file hides what follows the damage: that is no missing ID.
    if (r.failed() && error) *error = "line " + std::to_string(r.error().line) + ": " + r.error().message;
    return std::nullopt;
}

std::optional<DdeArg> action_dde_split(int code, std::string_view ext) {
    size_t blank = ext.find(' ');
    if (blank == std::string_view::npos || blank == 0) return std::nullopt;
    DdeArg a;
    a.service = std::string(ext.substr(0, blank));
    std::string_view rest = ext.substr(blank + 1);
    if (code == 29) {
        a.command = std::string(rest);
        return a;
    }
    size_t br = rest.find(" [");
    if (br == std::string_view::npos) return std::nullopt;
    a.topic = std::string(rest.substr(0, br));
    a.command = std::string(rest.substr(br + 1));
    return a;
}

std::string action_tcard_document(int number) {
    static const char* const kFiles[16] = {
        "sample01.vrn", "sample02.vrn", "sample03.vrn", "sample04.vrn", "sample05.vrn", "sample06.vrn",
        "sample07.vrn", "sample08.vrn", "sample09.vrn", "sample10.vrn", "sample11.vrn", "sample12.vrn",
        "sample13.vrn", "sample14.vrn", "sample15.vrn", "sample16.vrn",
    };
    if (number < 101 || number > 116) return {};
    return kFiles[number - 101];
}

int action_tcard_command(int number) {
    static const int kCommands[] = {
        999,  // 200
        CMD_NEW,  // 201
        CMD_TOOLBOX,  // 202
        CMD_SLIDESHOW,  // 203
        CMD_ANALYZER,  // 204
        CMD_CHECKLISTS,  // 205
        CMD_QUESTIONS,  // 206
        CMD_RANDOM_WORDS,  // 207
        CMD_GENERATOR,  // 208
        CMD_FIND_OBJECTS,  // 209
        CMD_OPEN_WEB,  // 210
        CMD_OBJECT_DEFAULTS,  // 211
        CMD_SEQUENCE_SETTINGS,  // 212
        CMD_COMPUTE,  // 213
        CMD_INSERT_ICON,  // 214
        CMD_LEVEL,  // 215
        CMD_ZOOM_FIT,  // 216
    };
    int k = number - 200;
    return k >= 0 && k < static_cast<int>(std::size(kCommands)) ? kCommands[k] : 0;
}

SoundKind action_sound_kind(std::string_view ext) {
    if (!ext.empty() && std::string_view("AsteriskExclamationQuestionCritical Stop").find(ext) != std::string_view::npos)
        return SoundKind::System;
    size_t dot = ext.find('.');
    if (dot != std::string_view::npos && ext.find(' ', dot) != std::string_view::npos) return SoundKind::Command;
    return SoundKind::File;
}
