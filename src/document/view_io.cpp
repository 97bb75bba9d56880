#include "document/view_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "base/file.h"
#include "base/file_save.h"
#include "base/letters.h"
#include "document/globals.h"
#include "document/outline.h"
#include "document/view.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::vector<void (*)()> replaced_hooks_;

std::string sys_reason() {
#ifdef _WIN32
    DWORD e = GetLastError();
    char buf[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, e, 0, buf,
                   sizeof buf, nullptr);
    std::string s = buf;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '.'))
        s.pop_back();
    return s.empty() ? "error " + std::to_string(e) : s;
#else
    return std::strerror(errno);
#endif
}

std::string with_ext(const std::string& name, const char* ext) {
    size_t slash = name.find_last_of("\\/:");
    size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return name + ext;
    return name.substr(0, dot) + ext;
}

std::string lower_ext(const std::string& name) {
    size_t slash = name.find_last_of("\\/:");
    size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string e = name.substr(dot);
    for (char& c : e) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return e;
}

void set(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

constexpr int kZoomSetting = 21, kColourSetting = 310, kObjectSetting = 311, kRouteSetting = 312,
              kPointSetting = 314, kWeightSetting = 362;

// Toolbox groups the document keeps a tool of.
constexpr int kTgPoint = 3, kTgObject = 4, kTgRoute = 5, kTgWeight = 6;

ToolsHooks tools_hooks_;

bool tool_exists(int group, int code) { return !tools_hooks_.exists || tools_hooks_.exists(group, code); }

// The value when it is usable, else the default (a damaged or hand-made document).
ViewTools checked(ViewTools t) {
    const ViewTools d;
    if (t.zoom < 1 || t.zoom > 275) t.zoom = d.zoom;
    if (t.colour < 0 || t.colour > 31) t.colour = d.colour;
    if (!tool_exists(kTgObject, t.object)) t.object = d.object;
    if (!tool_exists(kTgRoute, t.route)) t.route = d.route;
    if (!tool_exists(kTgPoint, t.point)) t.point = d.point;
    if (!tool_exists(kTgWeight, t.weight)) t.weight = d.weight;
    return t;
}

std::string load_note_;

// Gives every record after the first of a key a free key of its own; the first keeps the key,
// and with it the links and values that name it. Returns how many were renumbered.
template <class T>
size_t renumber_duplicates(std::vector<T>& records) {
    std::vector<bool> used(65536, false);
    std::vector<size_t> dups;
    for (size_t k = 0; k < records.size(); ++k) {
        Key key = records[k].key;
        if (key != 0 && used[key]) dups.push_back(k);
        used[key] = true;
    }
    size_t next = 1, done = 0;
    for (size_t k : dups) {
        while (next < 65536 && used[next]) ++next;
        if (next >= 65536) break;  // every key taken: lookups keep finding the first
        used[next] = true;
        records[k].key = static_cast<Key>(next);
        ++done;
    }
    return done;
}

}  // namespace

bool view_read_whole(const std::string& name, std::string& out, bool* missing) {
    if (missing) *missing = false;
    FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) {
        if (missing) *missing = errno == ENOENT;
        return false;
    }
    out.clear();
    // The text sized once: grown by doubling, a large file would hold up to twice its size.
    if (std::fseek(f, 0, SEEK_END) == 0) {
        long size = std::ftell(f);
        if (size > 0) out.reserve(static_cast<size_t>(size));
        std::rewind(f);
    }
    char buf[1 << 16];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

static bool read_document(const std::string& name, Document& out, std::string* error);

bool view_read_document(const std::string& name, Document& out, std::string* error) {
    // A document too large for the memory left is refused like a broken one: `out` and the open
    // document stay as they were.
    try {
        return read_document(name, out, error);
    } catch (const std::bad_alloc&) {
        set(error, "Loading " + name + "\nThere is not enough memory to open this document");
        return false;
    }
}

static bool read_document(const std::string& name, Document& out, std::string* error) {
    std::string text;
    bool missing = false;
    if (!view_read_whole(name, text, &missing)) {
        if (missing) {
            out = Document();
            return true;
        }
        set(error, "Loading " + name + "\n" + sys_reason());
        return false;
    }
    // Written by an editor that marks UTF-8 or UTF-16 text: read in the program's code page (text
    // that is not UTF-8 after all is read as it is).
    size_t unmapped = 0;
    if (text.starts_with("\xEF\xBB\xBF")) {
        auto ansi = letters_from_utf8(text, &unmapped);
        text = ansi ? std::move(*ansi) : text.substr(3);
    } else if (auto ansi = letters_from_utf16(text, &unmapped)) {
        text = std::move(*ansi);
    }
    Document d;
    LoadError err;
    if (!Document::from_text(text, d, err)) {
        if (view_text_looks_encrypted(text))
            set(error, "Loading " + name +
                           "\nThis file is not a readable document: it may be encrypted. Decrypt it with "
                           "File > Encrypt/Decrypt File and its password.");
        else if (err.line)
            set(error, "Loading " + name + "\nline " + std::to_string(err.line) + ": " + err.message);
        else
            set(error, "Loading " + name + "\n" + err.message);
        return false;
    }
    size_t renumbered = renumber_duplicates(d.objs) + renumber_duplicates(d.shapes);
    load_note_.clear();
    if (renumbered) {
        d.touch_objs();
        load_note_ = "\n" + std::to_string(renumbered) +
                     (renumbered == 1 ? " item shared its key with another and was given a new key"
                                      : " items shared their keys with others and were given new keys");
    }
    if (unmapped)
        load_note_ += "\n" + std::to_string(unmapped) +
                      (unmapped == 1 ? " character has no form in the Windows-1252 character set and reads as \"?\""
                                     : " characters have no form in the Windows-1252 character set and read as \"?\"");
    if (!load_note_.empty()) load_note_ = name + load_note_;
    out = std::move(d);
    return true;
}

std::string view_take_load_note() {
    std::string n;
    n.swap(load_note_);
    return n;
}

bool view_load_file(const std::string& name, std::string* error) {
    Document d;
    if (!name.empty() && !view_read_document(name, d, error)) return false;
    view_use_document(std::move(d));
    return true;
}

void view_use_document(Document&& d) {
    view_doc() = std::move(d);
    view_doc().touch_objs();
    view_doc().changed = false;
    view_undo_clear();
    marked_obj_.clear();
    marked_link_.clear();
    marked_shape_.clear();
    marked_para_.clear();
    for (auto hook : replaced_hooks_) hook();
}

CryptOutcome view_crypt_text(std::string& data, uint16_t key, std::string_view name) {
    const std::string ext = file_ext(name);
    const bool document = ext == ".vrn" || ext == ".ide";
    auto readable = [document](const std::string& t) {
        if (!document) return !view_text_looks_encrypted(t);
        Document d;
        LoadError err;
        return Document::from_text(t, d, err);
    };
    if (readable(data)) {
        file_crypt(data, key);
        return CryptOutcome::encrypted;
    }
    std::string out = data;
    file_crypt(out, key);
    if (readable(out)) {
        data.swap(out);
        return CryptOutcome::decrypted;
    }
    // A wrong password: scrambling it once more would bury it deeper.
    if (document || ext == ".txt" || ext == ".rtf") return CryptOutcome::refused;
    data.swap(out);
    return CryptOutcome::either;
}

bool view_text_looks_encrypted(std::string_view text) {
    // Every key turns the record names, digits or line ends into control bytes, or most bytes
    // into ones above 127; a document holds neither (11, 14 and 15 mark hypertext fields).
    const size_t n = std::min<size_t>(text.size(), 4096);
    size_t high = 0;
    for (size_t i = 0; i < n; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != 11 && c != 14 && c != 15) return true;
        if (c >= 0x80) ++high;
    }
    return high * 4 > n;
}

void view_on_replaced(void (*hook)()) {
    if (std::find(replaced_hooks_.begin(), replaced_hooks_.end(), hook) == replaced_hooks_.end())
        replaced_hooks_.push_back(hook);
}

bool view_write_replace(const std::string& name, std::string_view data, std::string* error) {
    std::string reason;
    if (file_write_replace(name, data, &reason)) return true;
    set(error, "Saving " + name + "\n" + reason);
    return false;
}

std::string view_document_text(const Document& d) {
    bool has_region = false;
    for (const Shape& s : d.shapes)
        if (s.kind == kRegionShapeKind) { has_region = true; break; }
    if (!has_region) return d.to_text();
    Document copy = d;
    std::erase_if(copy.shapes, [](const Shape& s) { return s.kind == kRegionShapeKind; });
    return copy.to_text();
}

ViewTools view_tools_of(const Document& d) {
    ViewTools t;
    t.zoom = d.param(kZoomSetting);
    t.colour = d.param(kColourSetting);
    t.object = d.param(kObjectSetting);
    t.route = d.param(kRouteSetting);
    t.point = d.param(kPointSetting) + 1;
    t.weight = d.param(kWeightSetting);
    return checked(t);
}

void view_set_tools_hooks(const ToolsHooks& hooks) { tools_hooks_ = hooks; }

ViewTools view_tools_now() {
    return tools_hooks_.now ? checked(tools_hooks_.now()) : view_tools_of(view_doc());
}

bool view_tools_store(Document& d, const ViewTools& t) {
    bool any = false;
    any |= d.set_param(kZoomSetting, t.zoom);
    any |= d.set_param(kColourSetting, t.colour);
    any |= d.set_param(kObjectSetting, t.object);
    any |= d.set_param(kRouteSetting, t.route);
    any |= d.set_param(kPointSetting, t.point - 1);
    any |= d.set_param(kWeightSetting, t.weight);
    return any;
}

void view_tools_apply(const ViewTools& t) {
    if (tools_hooks_.apply) tools_hooks_.apply(t);
}

bool view_save_file(const std::string& name, std::string* error, bool backup_bk2) {
    // Stored as part of the save, not as an edit of its own; a failed save leaves the
    // document marked changed when they differed from what it held.
    bool tools_changed = view_tools_store(view_doc(), view_tools_now());
    std::string warning;
    if (backup_bk2) {
        std::string old;
        bool missing = false;
        if (view_read_whole(name, old, &missing)) {
            std::string why;
            if (!view_write_replace(with_ext(name, ".bk2"), old, &why)) warning = why;
        } else if (!missing) {
            warning = "Saving " + with_ext(name, ".bk2") + "\n" + sys_reason();
        }
    }
    if (!view_write_replace(name, view_document_text(view_doc()), error)) {
        if (tools_changed) view_mark_changed();
        return false;
    }
    view_doc().changed = false;
    view_doc().file_version = kFormatVersion;
    set(error, warning);
    return true;
}

bool view_save(const std::string& name, std::string* error) {
    if (lower_ext(name) == ".rtf") return view_write_replace(name, view_rtf_text(), error);
    return view_save_file(name, error);
}
