#include "elements/obj_win.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/palette.h"
#include "base/pict_win.h"
#include "base/trap_win.h"
#include "base/util_win.h"
#include "document/view.h"
#include "elements/draw_win.h"
#include "elements/icon_win.h"

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool ends_with(const std::string& s, const char* tail) {
    size_t n = strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// ---- Reports of files that could not be loaded.

struct Failure {
    std::string what;  // the file, and what else its error tells
    unsigned long err;
};
std::set<std::string> reported_;
std::vector<Failure> pending_;
UINT_PTR report_timer_ = 0;
bool reports_held_ = false;

// All files one paint could not load go into one box, a line each.
void CALLBACK show_reports(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    report_timer_ = 0;
    if (reports_held_) return;
    auto list = std::move(pending_);
    pending_.clear();
    if (list.size() == 1) {
        msg_error(dlg_error_text("Loading %s", list[0].what, static_cast<int>(list[0].err)));
        return;
    }
    constexpr size_t kLines = 20;
    std::string text = std::to_string(list.size()) + " pictures could not be loaded:";
    for (size_t k = 0; k < list.size() && k < kLines; ++k)
        text += "\n" + dlg_error_text("%s", list[k].what, static_cast<int>(list[k].err));
    if (list.size() > kLines) text += "\n... and " + std::to_string(list.size() - kLines) + " more";
    if (!list.empty()) msg_error(text);
}

// ---- Picture store.

struct Loaded {
    std::shared_ptr<const Dib> dib;
    HENHMETAFILE emf = nullptr;
    HICON icon = nullptr;
    std::string path;
    FileStamp stamp;  // a file rewritten since it was read is read again
    DWORD checked = 0;  // tick count of the last look at the file
};
std::map<std::string, Loaded> pictures_;
// A file is looked at again at most this often: a repaint stays free of file-system calls.
constexpr DWORD kRecheckMs = 1000;

void release(Loaded& l) {
    if (l.emf) DeleteEnhMetaFile(l.emf);
    if (l.icon) DestroyIcon(l.icon);
    l = Loaded{};
}

std::optional<std::string> read_all(const std::string& path, unsigned long& err) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        err = GetLastError();
        return std::nullopt;
    }
    std::string bytes;
    DWORD size = GetFileSize(f, nullptr);
    bool ok = size != INVALID_FILE_SIZE && size <= 256u * 1024 * 1024;
    if (ok) {
        bytes.resize(size);
        DWORD got = 0;
        ok = ReadFile(f, bytes.data(), size, &got, nullptr) && got == size;
    }
    if (!ok) err = GetLastError();
    CloseHandle(f);
    if (!ok) return std::nullopt;
    return bytes;
}

// The file a picture name stands for; a name found nowhere is taken beside the document, so
// that a report names the place it was looked for.
std::string where(std::string_view name) {
    if (auto p = file_locate(std::string(name))) return *p;
    auto cur = file_current();
    return file_full_path(cur ? cur->dir : file_progdir_path(), name);
}

HENHMETAFILE load_metafile(const std::string& path, const std::string& low, unsigned long& err) {
    if (ends_with(low, ".emf")) {
        HENHMETAFILE h = GetEnhMetaFileA(path.c_str());
        if (!h) err = GetLastError() ? GetLastError() : ERROR_INVALID_DATA;
        return h;
    }
    auto bytes = read_all(path, err);
    if (!bytes) return nullptr;
    size_t skip = 0;
    // A placeable metafile starts with a 22-byte header before the Windows metafile proper.
    if (bytes->size() >= 22 && static_cast<unsigned char>((*bytes)[0]) == 0xD7 &&
        static_cast<unsigned char>((*bytes)[1]) == 0xCD && static_cast<unsigned char>((*bytes)[2]) == 0xC6 &&
        static_cast<unsigned char>((*bytes)[3]) == 0x9A)
        skip = 22;
    if (bytes->size() <= skip + 18) {
        err = ERROR_INVALID_DATA;
        return nullptr;
    }
    HENHMETAFILE h = SetWinMetaFileBits(static_cast<UINT>(bytes->size() - skip),
                                        reinterpret_cast<const BYTE*>(bytes->data() + skip), nullptr, nullptr);
    if (!h) err = ERROR_INVALID_DATA;
    return h;
}

void decode(Loaded& l, const std::string& low) {
    unsigned long err = 0;
    std::string what;
    const std::string& path = l.path;
    if (ends_with(low, ".emf") || ends_with(low, ".wmf")) {
        l.emf = load_metafile(path, low, err);
    } else if (low.find(".ico") != std::string::npos) {
        l.icon = static_cast<HICON>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
        if (!l.icon) err = GetLastError() ? GetLastError() : ERROR_INVALID_DATA;
    } else if (pict_format_of(low)) {
        if (auto d = pict_load_dib(path, err, &what)) l.dib = std::make_shared<const Dib>(std::move(*d));
    } else if (auto bytes = read_all(path, err)) {
        if (auto d = icon_read_bmp(*bytes))
            l.dib = std::make_shared<const Dib>(std::move(*d));
        else
            err = ERROR_INVALID_DATA;
    }
    if (!l.dib && !l.emf && !l.icon) obj_report_load_failure(path, err, what);
}

const Loaded& load_file(std::string_view name) {
    std::string low = lower(name);
    const DWORD now = GetTickCount();
    auto it = pictures_.find(low);
    if (it != pictures_.end()) {
        Loaded& l = it->second;
        if (now - l.checked < kRecheckMs) return l;
        l.checked = now;
        std::string path = where(name);
        FileStamp s = file_stamp(path);
        if (path == l.path && s == l.stamp) return l;
        release(l);
        l.path = std::move(path);
        l.stamp = s;
        l.checked = now;
        decode(l, low);
        return l;
    }
    Loaded l;
    l.path = where(name);
    l.stamp = file_stamp(l.path);
    l.checked = now;
    decode(l, low);
    return pictures_.emplace(low, std::move(l)).first->second;
}

bool picture_file_name(const std::string& low) {
    for (const char* e : {".dib", ".emf", ".wmf", ".ico"})
        if (ends_with(low, e)) return true;
    return pict_format_of(low).has_value();
}

int hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Embedded picture data of a shape-173 object: the bytes of a .bmp file, raw or as hex digits.
std::shared_ptr<const Dib> embedded(const Document& doc, Key key) {
    for (const auto& b : doc.bins) {
        if (b.key != key || b.kind != 1) continue;
        if (auto d = icon_read_bmp(b.data)) return std::make_shared<const Dib>(std::move(*d));
        if (b.data.size() % 2 == 0) {
            std::string raw;
            raw.reserve(b.data.size() / 2);
            for (size_t i = 0; i < b.data.size(); i += 2) {
                int h = hex(b.data[i]), l = hex(b.data[i + 1]);
                if (h < 0 || l < 0) return nullptr;
                raw.push_back(static_cast<char>(h * 16 + l));
            }
            if (auto d = icon_read_bmp(raw)) return std::make_shared<const Dib>(std::move(*d));
        }
        return nullptr;
    }
    return nullptr;
}

std::map<Key, std::pair<std::string, std::shared_ptr<const Dib>>> embedded_;

// The raw bytes of embedded data kept as hex digits, or the data itself.
std::string unhex(const std::string& data) {
    if (data.size() % 2 != 0) return data;
    std::string raw;
    raw.reserve(data.size() / 2);
    for (size_t i = 0; i < data.size(); i += 2) {
        int h = hex(data[i]), l = hex(data[i + 1]);
        if (h < 0 || l < 0) return data;
        raw.push_back(static_cast<char>(h * 16 + l));
    }
    return raw;
}

uint32_t le32(const std::string& s, size_t at) {
    if (at + 4 > s.size()) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data() + at);
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// An embedded enhanced metafile, or a Windows metafile (with or without its placeable header)
// turned into one; null for other data.
HENHMETAFILE metafile_from(const std::string& raw) {
    if (le32(raw, 0) == 1 && le32(raw, 40) == 0x464D4520)  // EMR_HEADER, " EMF"
        return SetEnhMetaFileBits(static_cast<UINT>(raw.size()), reinterpret_cast<const BYTE*>(raw.data()));
    size_t off = le32(raw, 0) == 0x9AC6CDD7u ? 22 : 0;
    if (raw.size() < off + 18) return nullptr;
    const auto* w = reinterpret_cast<const unsigned char*>(raw.data() + off);
    const unsigned type = w[0] | w[1] << 8, header = w[2] | w[3] << 8;
    if ((type != 1 && type != 2) || header != 9) return nullptr;
    return SetWinMetaFileBits(static_cast<UINT>(raw.size() - off), w, nullptr, nullptr);
}

struct EmbeddedMetafile {
    std::string data;
    HENHMETAFILE emf = nullptr;
};
std::map<Key, EmbeddedMetafile> embedded_emf_;

HENHMETAFILE embedded_metafile(const Document& doc, Key key) {
    const Obj* o = doc.obj(key);
    if (!o || o->shape != kShapePicture) return nullptr;
    for (const auto& b : doc.bins) {
        if (b.key != key || b.kind != 1) continue;
        EmbeddedMetafile& slot = embedded_emf_[key];
        if (slot.data != b.data) {
            if (slot.emf) DeleteEnhMetaFile(slot.emf);
            slot.data = b.data;
            slot.emf = metafile_from(unhex(b.data));
        }
        return slot.emf;
    }
    return nullptr;
}

std::optional<Pt> view_dp_to_lp(Pt p) { return draw_dp_to_lp_x(p); }
Colour toolbar_colour(int index) { return tbar_color_or(index, 0); }

}  // namespace

void obj_report_load_failure(const std::string& path, unsigned long err, const std::string& what) {
    if (!reported_.insert(lower(path)).second) return;
    pending_.push_back({what.empty() ? path : what, err});
    if (!report_timer_ && !reports_held_) report_timer_ = SetTimer(nullptr, 0, 1, trap_timer<show_reports>);
}

void obj_hold_load_reports(bool hold) {
    reports_held_ = hold;
    if (!hold && !pending_.empty() && !report_timer_) report_timer_ = SetTimer(nullptr, 0, 1, trap_timer<show_reports>);
}

std::shared_ptr<const Dib> obj_picture_bitmap(Key key, std::string_view name) {
    return obj_picture_bitmap(view_doc(), key, name);
}

std::shared_ptr<const Dib> obj_picture_bitmap(const Document& doc, Key key, std::string_view name) {
    const Obj* o = doc.obj(key);
    if (o && o->shape == kShapePicture) {
        // Embedded data may change with the document: keep it only while the data is the same.
        for (const auto& b : doc.bins) {
            if (b.key != key || b.kind != 1) continue;
            auto& slot = embedded_[key];
            if (slot.first != b.data || !slot.second) slot = {b.data, embedded(doc, key)};
            return slot.second;
        }
    }
    std::string low = lower(name);
    if (low.empty() || !picture_file_name(low)) return nullptr;
    return load_file(name).dib;
}

std::optional<ObjMetafile> obj_picture_metafile(Key key, std::string_view name) {
    return obj_picture_metafile(view_doc(), key, name);
}

std::optional<ObjMetafile> obj_picture_metafile(const Document& doc, Key key, std::string_view name) {
    HENHMETAFILE emf = embedded_metafile(doc, key);
    if (!emf) {
        std::string low = lower(name);
        if (!ends_with(low, ".emf") && !ends_with(low, ".wmf")) return std::nullopt;
        emf = load_file(name).emf;
    }
    if (!emf) return std::nullopt;
    ENHMETAHEADER h{};
    GetEnhMetaFileHeader(emf, sizeof h, &h);
    ObjMetafile m;
    m.handle = emf;
    m.width = h.rclFrame.right - h.rclFrame.left;
    m.height = h.rclFrame.bottom - h.rclFrame.top;
    return m;
}

const void* obj_picture_icon(std::string_view name) {
    if (name.empty()) return nullptr;
    return load_file(name).icon;
}

void obj_picture_cache_clear() {
    for (auto& [name, l] : pictures_) release(l);
    pictures_.clear();
    // Each opening of a document tells of its broken files again.
    reported_.clear();
    embedded_.clear();
    for (auto& [key, e] : embedded_emf_)
        if (e.emf) DeleteEnhMetaFile(e.emf);
    embedded_emf_.clear();
}

size_t obj_picture_cache_size() { return pictures_.size() + embedded_.size() + embedded_emf_.size(); }

void obj_id_dup_warn(const std::string& new_id, const std::string& old_id) {
    HMENU m = main_inst_ ? GetMenu(main_inst_) : nullptr;
    UINT s = m ? GetMenuState(m, 10916, MF_BYCOMMAND) : static_cast<UINT>(-1);
    bool on = s != static_cast<UINT>(-1) && (s & MF_CHECKED);
    if (!obj_id_dup_should_warn(new_id, old_id, on, view_doc())) return;
    char buf[600];
    snprintf(buf, sizeof buf, "%s already exists (warn only)", new_id.substr(0, 500).c_str());
    msg_note(buf);
}

void obj_win_install() {
    ObjEnv d;
    d.icon_bitmap = [](int n) { return icon_bitmap(n); };
    d.picture = [](Key k, std::string_view name) { return obj_picture_bitmap(k, name); };
    d.metafile = [](Key k, std::string_view name) { return obj_picture_metafile(k, name); };
    d.icon_file = obj_picture_icon;
    d.now = [] {
        SYSTEMTIME t;
        GetLocalTime(&t);
        return ObjClock{t.wDay, t.wHour, t.wMinute};
    };
    obj_set_env_defaults(d);
    obj_set_dp_to_lp(view_dp_to_lp);
    obj_set_palette(toolbar_colour);
}
