// Cut, Copy, Paste, Delete and Select All of the diagram through the clipboard: a private format
// with the record text of the marked part, the IDs as text and a metafile picture for other
// programs, and pictures (bitmaps, metafiles) and text pasted in.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "bars/sbar.h"
#include "base/commands_win.h"
#include "base/error.h"
#include "base/globals_win.h"
#include "document/clip.h"
#include "document/globals.h"
#include "document/view.h"
#include "resources/ids.h"
#include "view/view_win.h"
#include "view/viewgeom.h"

namespace {

UINT clip_format() {
    static const UINT f = RegisterClipboardFormatA(kClipFormatName);
    return f;
}

HWND clip_owner() { return view_inst_ ? view_inst_ : main_inst_; }

bool put(UINT format, const std::string& data) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, data.size() + 1);
    if (!h) return false;
    char* p = static_cast<char*>(GlobalLock(h));
    if (!p) {
        GlobalFree(h);
        return false;
    }
    memcpy(p, data.data(), data.size());
    p[data.size()] = 0;
    GlobalUnlock(h);
    if (!SetClipboardData(format, h)) {
        GlobalFree(h);
        return false;
    }
    return true;
}

// The clipboard's data of `format` (the clipboard must be open); text formats end at their NUL.
std::optional<std::string> get(UINT format, bool text) {
    HANDLE h = GetClipboardData(format);
    if (!h) return std::nullopt;
    const char* p = static_cast<const char*>(GlobalLock(h));
    if (!p) return std::nullopt;
    size_t n = GlobalSize(h);
    std::string s(p, n);
    GlobalUnlock(h);
    if (text) {
        size_t z = s.find('\0');
        if (z != std::string::npos) s.resize(z);
    }
    return s;
}

int current_level() { return sbar_view_state().level; }

// Where pasted text and pictures go: the middle of the diagram window.
Pt paste_point() {
    if (!view_inst_) return {0, 0};
    ViewMapping m = view_mapping();
    return m.to_logical({m.client_w / 2, m.client_h / 2});
}

// The part last copied, as the window showed it: its picture is made only when a program asks
// for it, as a picture of thousands of objects takes a while. Kept until the clipboard changes.
struct Copied {
    Document part;
    ViewMapping mapping;
};
std::unique_ptr<Copied> g_copied;

// One recording of the part at the window's scale, device point `origin` on diagram point 0,0.
HENHMETAFILE record_picture(const Copied& c, Pt origin, const RECT* frame) {
    HDC ref = GetDC(nullptr);
    HDC dc = CreateEnhMetaFileA(ref, nullptr, frame, frame ? "Vorn\0Diagram\0" : nullptr);
    ReleaseDC(nullptr, ref);
    if (!dc) return nullptr;
    ViewMapping m = c.mapping;
    const double s = m.scale();
    m.page = ViewMapping::Page{s, s, {0, 0}, origin};
    view_apply_mapping(dc, m);
    view_paint_part(dc, m, c.part);
    return CloseEnhMetaFile(dc);
}

// The picture of the copied part: recorded once to learn where it draws, then again with its
// top left corner at the picture's.
HENHMETAFILE make_picture(const Copied& c) {
    HENHMETAFILE probe = record_picture(c, {0, 0}, nullptr);
    if (!probe) return nullptr;
    ENHMETAHEADER h{};
    const bool read = GetEnhMetaFileHeader(probe, sizeof h, &h) != 0;
    DeleteEnhMetaFile(probe);
    const RECTL b = h.rclBounds;
    if (!read || b.right < b.left || b.bottom < b.top) return nullptr;
    constexpr int kMargin = 2;
    const int w = b.right - b.left + 1 + 2 * kMargin, ht = b.bottom - b.top + 1 + 2 * kMargin;
    // The frame is in hundredths of a millimetre of the screen the window showed the part on.
    HDC ref = GetDC(nullptr);
    const double mm_x = GetDeviceCaps(ref, HORZSIZE) / double(std::max(1, GetDeviceCaps(ref, HORZRES)));
    const double mm_y = GetDeviceCaps(ref, VERTSIZE) / double(std::max(1, GetDeviceCaps(ref, VERTRES)));
    ReleaseDC(nullptr, ref);
    const RECT frame{0, 0, static_cast<LONG>(w * mm_x * 100), static_cast<LONG>(ht * mm_y * 100)};
    return record_picture(c, {kMargin - b.left, kMargin - b.top}, &frame);
}

void put_picture() {
    if (!g_copied) return;
    if (HENHMETAFILE emf = make_picture(*g_copied))
        if (!SetClipboardData(CF_ENHMETAFILE, emf)) DeleteEnhMetaFile(emf);
    g_copied.reset();
}

bool copy_marked() {
    Document part = view_clip_part();
    const bool items = !part.objs.empty() || !part.shapes.empty();
    if (!items && marked_link_.empty()) return false;
    if (!OpenClipboard(clip_owner())) {
        msg_note("The clipboard is in use by another program");
        return false;
    }
    EmptyClipboard();
    bool ok = !items || put(clip_format(), part.to_text());
    std::string ids = view_clip_ids();
    if (!ids.empty()) ok = put(CF_TEXT, ids) && ok;
    // Only the diagram window answers for a picture promised.
    if (items && clip_owner() == view_inst_) {
        view_clip_add_look(part);
        g_copied = std::make_unique<Copied>(Copied{std::move(part), view_mapping()});
        SetClipboardData(CF_ENHMETAFILE, nullptr);
    }
    CloseClipboard();
    return ok;
}

// Pasting where the copy came from would hide the originals: the copy steps aside until it
// covers nothing of its level (objects as painted, or their usual size where not in view).
Pt paste_offset(const std::string& records, int level) {
    Document part;
    LoadError err;
    if (!Document::from_text(records, part, err)) return {0, 0};
    // Looked up once each, not searched for: a level may hold tens of thousands.
    std::unordered_map<Key, Rc> painted;
    for (const ObjBox& b : view_painted_objects())
        if (b.level == level) painted.emplace(b.key, b.rect);
    auto around = [](int x, int y) {
        auto at = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -kCoordMax, kCoordMax)); };
        return Rc{at(int64_t{x} - 100), at(int64_t{y} + 60), at(int64_t{x} + 100), at(int64_t{y} - 60)};
    };
    auto rect_of = [&](const Obj& o) {
        auto it = painted.find(o.key);
        return it != painted.end() ? it->second : around(o.x, o.y);
    };
    std::vector<Rc> taken, mine;
    const Document& d = view_doc();
    for (const Obj& o : d.objs)
        if (o.level == level) taken.push_back(rect_of(o));
    for (const Shape& s : d.shapes)
        if (s.level == level && s.kind != kRegionShapeKind) taken.push_back({s.left, s.top, s.right, s.bottom});
    for (const Obj& p : part.objs) {
        // An item still lying where it was copied from is the original: it has its painted size.
        const Obj* o = d.obj(p.key);
        mine.push_back(o && o->level == level && o->x == p.x && o->y == p.y ? rect_of(*o) : around(p.x, p.y));
    }
    for (const Shape& s : part.shapes)
        if (s.kind != kRegionShapeKind) mine.push_back({s.left, s.top, s.right, s.bottom});
    return view_clip_clear_offset(mine, taken, 40);
}

void run_copy() { copy_marked(); }

void run_cut() {
    if (copy_marked()) {
        view_clip_delete("Cut");
        view_invalidate();
    }
}

void run_delete() {
    if (view_clip_delete()) view_invalidate();
}

// The clipboard's metafile as enhanced-metafile bytes (the system turns an old-style metafile
// picture into one); nullopt when there is none or it is unreadable.
std::optional<std::string> get_metafile() {
    auto emf = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
    if (!emf) return std::nullopt;
    UINT n = GetEnhMetaFileBits(emf, 0, nullptr);
    if (n == 0 || n > (256u << 20)) return std::nullopt;
    std::string bytes(n, '\0');
    if (GetEnhMetaFileBits(emf, n, reinterpret_cast<BYTE*>(bytes.data())) != n) return std::nullopt;
    return bytes;
}

bool metafile_available() {
    return IsClipboardFormatAvailable(CF_ENHMETAFILE) || IsClipboardFormatAvailable(CF_METAFILEPICT);
}

// Pastes the clipboard; `at` puts it there (the pop-up's Paste), else beside what it copies.
void paste(std::optional<Pt> at) {
    if (!OpenClipboard(clip_owner())) {
        msg_note("The clipboard is in use by another program");
        return;
    }
    std::optional<std::string> records, dib, text, emf;
    bool metafile = false;
    if (IsClipboardFormatAvailable(clip_format())) records = get(clip_format(), true);
    else if (IsClipboardFormatAvailable(CF_DIB)) dib = get(CF_DIB, false);
    else if (IsClipboardFormatAvailable(CF_TEXT)) text = get(CF_TEXT, true);
    else if ((metafile = metafile_available())) emf = get_metafile();
    CloseClipboard();

    const int level = current_level();
    const Pt place = at.value_or(paste_point());
    if (records) {
        Pt off = at ? view_clip_offset_to(*records, *at) : paste_offset(*records, level);
        std::string error;
        if (!view_clip_paste(*records, level, off.x, off.y, &error)) msg_note(error);
    } else if (dib) {
        std::string bmp = view_bmp_from_dib(*dib);
        if (bmp.empty() || !view_paste_picture(bmp, place, level))
            msg_note("The picture on the clipboard cannot be pasted");
    } else if (text) {
        view_paste_lines(view_split_lines(*text), place, level);
    } else if (metafile) {
        if (!emf || !view_paste_picture(*emf, place, level))
            msg_note("The metafile on the clipboard cannot be read");
    }
    view_invalidate();
}

void run_paste() { paste(std::nullopt); }

void run_select_all() {
    view_select_all(current_level());
    view_invalidate();
}

bool something_marked() { return !marked_obj_.empty() || !marked_shape_.empty() || !marked_link_.empty(); }
bool copy_enabled() { return !marked_obj_.empty() || !marked_shape_.empty(); }
// Asked by every refresh of the toolbar and the menus, each format a round trip to the system:
// the answer holds while the clipboard keeps its contents (0: the count cannot be read).
bool paste_enabled() {
    static DWORD seen = 0;
    static bool can = false;
    const DWORD now = GetClipboardSequenceNumber();
    if (now == 0 || now != seen) {
        // An empty clipboard answers at once; text, the likeliest, is asked first.
        can = CountClipboardFormats() > 0 &&
              (IsClipboardFormatAvailable(CF_TEXT) || IsClipboardFormatAvailable(clip_format()) ||
               IsClipboardFormatAvailable(CF_DIB) || metafile_available());
        seen = now;
    }
    return can;
}


}  // namespace

void view_paste_at(Pt lp) {
    if (paste_enabled()) paste(lp);
}

void view_clip_owner_message(HWND win, UINT msg, WPARAM wp) {
    switch (msg) {
    case WM_RENDERFORMAT:
        // The asking program holds the clipboard open.
        if (wp == CF_ENHMETAFILE) put_picture();
        break;
    case WM_RENDERALLFORMATS:
        // The window closes: the picture stays for other programs.
        if (!OpenClipboard(win)) break;
        if (GetClipboardOwner() == win) put_picture();
        CloseClipboard();
        break;
    case WM_DESTROYCLIPBOARD: g_copied.reset(); break;
    default: break;
    }
}

// The export commands live in export_win.cpp.
void view_export_html();
void view_export_outline();

void view_doc_register_commands() {
    static const Command commands[] = {
        {CMD_CUT, run_cut, copy_enabled},
        {CMD_COPY, run_copy, copy_enabled},
        {CMD_PASTE, run_paste, paste_enabled},
        {CMD_DELETE, run_delete, something_marked},
        {CMD_SELECT_ALL, run_select_all, nullptr},
        {CMD_EXPORT_HTML, view_export_html, nullptr},
        {CMD_EXPORT_OUTLINE, view_export_outline, nullptr},
    };
    cmd_register_all(commands);
    view_set_note_hook([](const std::string& text) { msg_note(text); });
}
