#include "bars/listview_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>

#include "bars/bars_win.h"
#include "bars/dragdrop_win.h"
#include "bars/help_context.h"
#include "base/error.h"
#include "base/trap_win.h"
#include "base/util_win.h"

namespace {

struct ItemIndex {
    int row = 0;
    int normal = 0, small = 0;
    int seq = 0;  // order of making
};

struct LvInfo {
    HWND control = nullptr;
    HIMAGELIST normal = nullptr, small = nullptr;
    LvCallback callback = nullptr;
    int drop_cursor = 0, no_drop_cursor = 0;
    int columns = 0;
    std::unordered_map<int, ItemIndex> items;
    std::vector<int> records;  // ids in the order their records were made
    std::map<int, int> slot_normal, slot_small;  // bitmap id -> image index
    std::vector<int> order;    // ids newest first
    std::string advanced;      // travels with every dragged item
    WNDPROC control_proc = nullptr;
    // A sorted list keeps its rows here and the control asks only for those it draws, so tens
    // of thousands open at once. The control keeps their selection and focus; the rest is here.
    bool owner = false;
    std::vector<LvItem> rows;  // in the order shown; states hold only the cut bit
    unsigned sorting = 0;      // the sort style the control itself cannot carry
    int drop_row = -1;
    bool quiet = false;        // selection follows moved rows: no notifications
    int next_seq = 0;
};

std::map<HWND, LvInfo> lv_info_;
struct Edit { int id; std::string text; };
std::vector<Edit> lv_edit_;
struct Drag { HWND host; int id; };
std::optional<Drag> lv_drag_;
struct Sorting { HWND host; LvCompare compare; LPARAM param; };
std::optional<Sorting> lv_sorting_;
struct TextSort {
    HWND host;
    LvSortOrder dir;
    int column, keep_first, keep_last, count;
    std::unordered_map<int, int> pos;  // id -> row + 1 before the sort
    std::unordered_map<int, std::optional<std::string>> key;
    const std::vector<int>* order;
};
std::optional<TextSort> lv_sorting1_;

LvInfo& info(HWND host) {
    auto it = lv_info_.find(host);
    if (it == lv_info_.end()) vorn_raise(9000, "No list view");
    return it->second;
}

ItemIndex& index_of(LvInfo& in, int id, int err) {
    auto it = in.items.find(id);
    if (it == in.items.end()) vorn_raise(err, "No such item");
    return it->second;
}

LRESULT send(const LvInfo& in, UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageA(in.control, msg, wp, lp); }

int row_id(const LvInfo& in, int row) {
    if (in.owner) return row >= 0 && row < static_cast<int>(in.rows.size()) ? in.rows[static_cast<size_t>(row)].id : kLvNoItem;
    LVITEMA it = {};
    it.mask = LVIF_PARAM;
    it.iItem = row;
    if (!send(in, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it))) return kLvNoItem;
    return static_cast<int>(it.lParam);
}

int view_mode(const LvInfo& in) { return static_cast<int>(GetWindowLongA(in.control, GWL_STYLE) & 3); }

// Rows follow the control's order again after it moved them.
void renumber(LvInfo& in) {
    if (in.owner) {
        for (size_t row = 0; row < in.rows.size(); ++row) in.items[in.rows[row].id].row = static_cast<int>(row);
        return;
    }
    const int rows = static_cast<int>(send(in, LVM_GETITEMCOUNT));
    for (int row = 0; row < rows; ++row) {
        auto it = in.items.find(row_id(in, row));
        if (it != in.items.end()) it->second.row = row;
    }
}

int image_of(const LvInfo& in, const ItemIndex& ix) {
    const auto& slots = view_mode(in) == kLvLargeIcons ? in.slot_normal : in.slot_small;
    auto it = slots.find(view_mode(in) == kLvLargeIcons ? ix.normal : ix.small);
    return it == slots.end() ? -1 : it->second;
}

void set_images(LvInfo& in) {
    if (in.owner) {
        InvalidateRect(in.control, nullptr, TRUE);
        return;
    }
    for (const auto& [id, ix] : in.items) {
        LVITEMA it = {};
        it.mask = LVIF_IMAGE;
        it.iItem = ix.row;
        it.iImage = image_of(in, ix);
        send(in, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    }
}

// The image lists hold every distinct bitmap of the list's items, each list sized to its
// largest bitmap.
void build_images(LvInfo& in, const std::vector<std::pair<int, int>>& bitmaps) {
    std::set<int> normal, small;
    for (auto [n, s] : bitmaps) {
        if (n) normal.insert(n);
        if (s) small.insert(s);
    }
    auto make = [](const std::set<int>& ids, std::map<int, int>& slots) -> HIMAGELIST {
        slots.clear();
        std::vector<HBITMAP> loaded;
        int w = 1, h = 1;
        for (int id : ids) {
            HBITMAP b = LoadBitmapA(bars_instance(), MAKEINTRESOURCEA(id));
            loaded.push_back(b);
            BITMAP bm;
            if (b && GetObjectA(b, sizeof bm, &bm)) {
                w = std::max(w, static_cast<int>(bm.bmWidth));
                h = std::max(h, static_cast<int>(bm.bmHeight));
            }
        }
        HIMAGELIST list = ids.empty() ? nullptr : ImageList_Create(w, h, ILC_COLOR24, static_cast<int>(ids.size()), 0);
        size_t i = 0;
        for (int id : ids) {
            HBITMAP b = loaded[i++];
            if (!b) continue;
            if (list) slots[id] = ImageList_Add(list, b, nullptr);
            DeleteObject(b);
        }
        return list;
    };
    HIMAGELIST n = make(normal, in.slot_normal), s = make(small, in.slot_small);
    send(in, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(n));
    send(in, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(s));
    if (in.normal) ImageList_Destroy(in.normal);
    if (in.small) ImageList_Destroy(in.small);
    in.normal = n;
    in.small = s;
}

void rebuild_images(LvInfo& in, const LvItem* extra) {
    std::vector<std::pair<int, int>> b;
    for (const auto& [id, ix] : in.items)
        if (!extra || id != extra->id) b.emplace_back(ix.normal, ix.small);
    if (extra) b.emplace_back(extra->normal_bitmap, extra->small_bitmap);
    build_images(in, b);
    set_images(in);
}

void set_sub_texts(LvInfo& in, int row, const std::vector<std::string>& texts) {
    for (size_t i = 0; i < texts.size() && static_cast<int>(i) + 1 < in.columns; ++i) {
        LVITEMA it = {};
        it.iSubItem = static_cast<int>(i) + 1;
        it.pszText = const_cast<char*>(texts[i].c_str());
        send(in, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
    }
}

// `renumber_rows` false leaves the row numbers to the caller (one pass after many inserts).
void insert_at(LvInfo& in, const LvItem& item, int pos, bool renumber_rows = true) {
    if (in.items.count(item.id)) vorn_raise(9000, "Item id in use");
    ItemIndex ix{0, item.normal_bitmap, item.small_bitmap, in.next_seq++};
    LVITEMA it = {};
    it.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    it.iItem = pos;
    it.pszText = const_cast<char*>(item.text.c_str());
    it.iImage = image_of(in, ix);
    it.lParam = item.id;
    it.state = lv_state_bits(item.states);
    it.stateMask = 0xFFFF;
    int row = static_cast<int>(send(in, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)));
    if (row < 0) vorn_raise(9000, "Cannot insert item");
    set_sub_texts(in, row, item.sub_texts);
    ix.row = row;
    in.items[item.id] = ix;
    in.records.push_back(item.id);
    if (renumber_rows) renumber(in);
}

void redraw_row(const LvInfo& in, int row) { send(in, LVM_REDRAWITEMS, static_cast<WPARAM>(row), row); }

void drop_highlights(LvInfo& in) {
    if (in.owner) {
        if (in.drop_row >= 0) redraw_row(in, std::exchange(in.drop_row, -1));
        return;
    }
    LVITEMA it = {};
    it.stateMask = LVIS_DROPHILITED;
    it.state = 0;
    send(in, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&it));
}

int hit_row(LvInfo& in, int x, int y, unsigned* flags = nullptr) {
    LVHITTESTINFO h = {};
    h.pt = {x, y};
    int row = static_cast<int>(send(in, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&h)));
    if (flags) *flags = h.flags;
    return row;
}

HWND host_of_control(HWND control) {
    for (auto& [host, in] : lv_info_)
        if (in.control == control) return host;
    return nullptr;
}

bool notify_owner(HWND host, const LvNotification& n) {
    auto it = lv_info_.find(host);
    if (it == lv_info_.end() || !it->second.callback) return false;
    return it->second.callback(n, host);
}

// Items dropped on this list (its control is the drop target).
void lv_dd_cb(const DdMess& m) {
    HWND host = host_of_control(dd_hwnd(m.target));
    if (!host) return;
    LvInfo& in = lv_info_[host];
    if (m.kind == kDdLeave) {
        drop_highlights(in);
        return;
    }
    if (m.kind != kDdOver && m.kind != kDdDrop) return;
    int row = hit_row(in, m.x, m.y);
    int id = row >= 0 ? row_id(in, row) : kLvNoItem;
    drop_highlights(in);
    LvNotification n;
    n.kind = m.kind == kDdOver ? (m.button ? kLvRDragOver : kLvDragOver) : (m.button ? kLvRDrop : kLvDrop);
    n.source = m.source;
    n.data = m.data;
    n.x = m.x;
    n.y = m.y;
    n.id = id;
    notify_owner(host, n);
    if (m.kind == kDdOver && row >= 0 && lv_info_.count(host)) {
        LvInfo& now = lv_info_[host];
        if (now.owner) {
            now.drop_row = row;
            redraw_row(now, row);
        } else {
            LVITEMA it = {};
            it.stateMask = LVIS_DROPHILITED;
            it.state = LVIS_DROPHILITED;
            send(now, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
        }
    }
}

std::string drag_text(HWND host, int id) {
    try {
        return lv_item_text(lv_get_item(host, id), info(host).advanced);
    } catch (...) {
        return "";
    }
}

void end_drag() {
    lv_drag_.reset();
    if (GetCapture()) ReleaseCapture();
    SetCursor(util_system_cursor(IDC_ARROW));
}

LRESULT CALLBACK lv_subclass_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    HWND host = host_of_control(win);
    WNDPROC prev = host ? lv_info_[host].control_proc : DefWindowProcA;
    if (host && lv_drag_ && lv_drag_->host == host) {
        try {
            POINT pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            const LvInfo& in = lv_info_[host];
            bool plain = !(wp & (MK_SHIFT | MK_CONTROL));
            if (msg == WM_MOUSEMOVE) {
                bool left = wp & MK_LBUTTON, right = wp & MK_RBUTTON;
                if (plain && left != right) {
                    bool ok = dd_drag_over(host, pt, right ? 1 : 0, drag_text(host, lv_drag_->id));
                    dd_set_cursor(win, ok ? in.drop_cursor : in.no_drop_cursor);
                } else {
                    dd_set_cursor(win, in.no_drop_cursor);
                }
                return 0;
            }
            if ((msg == WM_LBUTTONUP || msg == WM_RBUTTONUP) && plain) {
                int id = lv_drag_->id;
                end_drag();
                dd_drop(host, pt, msg == WM_RBUTTONUP ? 1 : 0, drag_text(host, id));
                return 0;
            }
            if (msg == WM_CAPTURECHANGED && reinterpret_cast<HWND>(lp) != win) lv_drag_.reset();
        } catch (...) {
            end_drag();
            bars_trap();
        }
    }
    return CallWindowProcA(prev, win, msg, wp, lp);
}

void forget(HWND host) {
    auto it = lv_info_.find(host);
    if (it == lv_info_.end()) return;
    LvInfo& in = it->second;
    if (in.normal) ImageList_Destroy(in.normal);
    if (in.small) ImageList_Destroy(in.small);
    if (IsWindow(in.control)) {
        dd_unregister(in.control);
        if (in.control_proc) SetWindowLongPtrA(in.control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(in.control_proc));
    }
    if (lv_drag_ && lv_drag_->host == host) lv_drag_.reset();
    if (lv_sorting_ && lv_sorting_->host == host) lv_sorting_.reset();
    if (lv_sorting1_ && lv_sorting1_->host == host) lv_sorting1_.reset();
    lv_info_.erase(it);
}

// ---- Rows kept by the wrapper (sorted lists).

// The key the control sorts a text by: keys order as the texts compare.
std::string text_key(const std::string& text, std::vector<char>& buf) {
    if (buf.size() < 256) buf.resize(256);
    // Most keys fit the buffer at once; a longer one is asked for its size first.
    int n = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text.c_str(), -1, buf.data(), static_cast<int>(buf.size()));
    if (n == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buf.resize(static_cast<size_t>(std::max(1, LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text.c_str(), -1, nullptr, 0))));
        n = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text.c_str(), -1, buf.data(), static_cast<int>(buf.size()));
    }
    return std::string(buf.data(), static_cast<size_t>(std::max(0, n)));
}

bool key_before(const std::string& a, const std::string& b, bool down) {
    const int c = std::strcmp(a.c_str(), b.c_str());
    return down ? c > 0 : c < 0;
}

// Selection and focus belong to rows, which the control knows only by place.
struct Kept {
    std::vector<int> selected;
    int focused = kLvNoItem;
};

Kept keep(const LvInfo& in) {
    Kept k;
    for (int r = -1; (r = static_cast<int>(send(in, LVM_GETNEXTITEM, static_cast<WPARAM>(r), LVNI_SELECTED))) >= 0;)
        k.selected.push_back(row_id(in, r));
    k.focused = row_id(in, static_cast<int>(send(in, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
    return k;
}

void set_state(const LvInfo& in, int row, UINT state, UINT mask) {
    LVITEMA it = {};
    it.stateMask = mask;
    it.state = state;
    send(in, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
}

// The control's row count follows the rows, and selection and focus follow their rows.
void reseat(LvInfo& in, const Kept& k) {
    renumber(in);
    in.quiet = true;
    // The marks still lie on the rows' old places.
    for (int r = -1; (r = static_cast<int>(send(in, LVM_GETNEXTITEM, static_cast<WPARAM>(r), LVNI_SELECTED))) >= 0;)
        set_state(in, r, 0, LVIS_SELECTED);
    if (int r = static_cast<int>(send(in, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)); r >= 0)
        set_state(in, r, 0, LVIS_FOCUSED);
    send(in, LVM_SETITEMCOUNT, in.rows.size(), LVSICF_NOSCROLL);
    for (int id : k.selected)
        if (auto it = in.items.find(id); it != in.items.end()) set_state(in, it->second.row, LVIS_SELECTED, LVIS_SELECTED);
    if (auto it = in.items.find(k.focused); it != in.items.end()) set_state(in, it->second.row, LVIS_FOCUSED, LVIS_FOCUSED);
    in.quiet = false;
    InvalidateRect(in.control, nullptr, TRUE);
}

// Rows put in the order `perm` gives (row indexes, new order).
void reorder(LvInfo& in, const std::vector<size_t>& perm) {
    const Kept k = keep(in);
    std::vector<LvItem> rows;
    rows.reserve(perm.size());
    for (size_t p : perm) rows.push_back(std::move(in.rows[p]));
    in.rows = std::move(rows);
    reseat(in, k);
}

std::vector<size_t> identity(size_t n) {
    std::vector<size_t> p(n);
    for (size_t i = 0; i < n; ++i) p[i] = i;
    return p;
}

unsigned kept_bits(const LvInfo& in, int row) {
    unsigned bits = lv_state_bits(in.rows[static_cast<size_t>(row)].states) & LVIS_CUT;
    return row == in.drop_row ? bits | LVIS_DROPHILITED : bits;
}

void copy_text(const std::string& t, char* out, int size) { lstrcpynA(out, t.c_str(), size); }
void copy_text(const std::string& t, wchar_t* out, int size) {
    const int n = MultiByteToWideChar(CP_ACP, 0, t.c_str(), -1, out, size);
    if (n == 0 && size > 0) out[size - 1] = 0;
}

template <class Item> void fill_item(const LvInfo& in, Item& it) {
    if (it.iItem < 0 || it.iItem >= static_cast<int>(in.rows.size())) return;
    const LvItem& r = in.rows[static_cast<size_t>(it.iItem)];
    if ((it.mask & LVIF_TEXT) && it.pszText && it.cchTextMax > 0) {
        static const std::string none;
        const size_t sub = static_cast<size_t>(std::max(0, it.iSubItem));
        copy_text(sub == 0 ? r.text : sub <= r.sub_texts.size() ? r.sub_texts[sub - 1] : none, it.pszText, it.cchTextMax);
    }
    if ((it.mask & LVIF_IMAGE) && it.iSubItem == 0) it.iImage = image_of(in, ItemIndex{0, r.normal_bitmap, r.small_bitmap});
    if (it.mask & LVIF_STATE) it.state = (it.state & ~it.stateMask) | (kept_bits(in, it.iItem) & it.stateMask);
}

// Type-ahead: the next row from `start` whose text begins with (or is) `text`.
int find_row(const LvInfo& in, const LVFINDINFOA& f, int start) {
    const int n = static_cast<int>(in.rows.size());
    if (!(f.flags & (LVFI_STRING | LVFI_PARTIAL)) || !f.psz || n == 0) return -1;
    const int len = lstrlenA(f.psz);
    start = std::clamp(start, 0, n);
    for (int k = 0; k < n; ++k) {
        if (start + k >= n && !(f.flags & LVFI_WRAP)) break;
        const int row = (start + k) % n;
        const std::string& t = in.rows[static_cast<size_t>(row)].text;
        const int tl = (f.flags & LVFI_PARTIAL) ? std::min<int>(len, static_cast<int>(t.size())) : static_cast<int>(t.size());
        if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, t.c_str(), tl, f.psz, len) == CSTR_EQUAL) return row;
    }
    return -1;
}

// What the control asks of the rows it does not hold; true when answered.
bool answer_control(const LvInfo& in, const NMHDR& h, LRESULT* result) {
    switch (h.code) {
    case LVN_GETDISPINFOA: fill_item(in, const_cast<NMLVDISPINFOA&>(reinterpret_cast<const NMLVDISPINFOA&>(h)).item); break;
    case LVN_GETDISPINFOW: fill_item(in, const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(h)).item); break;
    case LVN_ODFINDITEMA: {
        const auto& f = reinterpret_cast<const NMLVFINDITEMA&>(h);
        *result = find_row(in, f.lvfi, f.iStart);
        return true;
    }
    case LVN_ODFINDITEMW: {
        const auto& f = reinterpret_cast<const NMLVFINDITEMW&>(h);
        std::string text;
        if (f.lvfi.psz) {
            text.resize(static_cast<size_t>(std::max(1, WideCharToMultiByte(CP_ACP, 0, f.lvfi.psz, -1, nullptr, 0, nullptr, nullptr))));
            WideCharToMultiByte(CP_ACP, 0, f.lvfi.psz, -1, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
        }
        LVFINDINFOA a = {};
        a.flags = f.lvfi.flags;
        a.psz = f.lvfi.psz ? text.c_str() : nullptr;
        *result = find_row(in, a, f.iStart);
        return true;
    }
    case LVN_ODCACHEHINT: break;
    default: return false;
    }
    *result = 0;
    return true;
}

// ---- Notifications from the control.

std::optional<LvNotification> convert(HWND host, LvInfo& in, const NMHDR& h) {
    LvNotification n;
    auto cursor = [&] {
        POINT p = {};
        if (GetCursorPos(&p)) ScreenToClient(in.control, &p);
        n.x = p.x;
        n.y = p.y;
    };
    switch (h.code) {
    case NM_OUTOFMEMORY: n.kind = kLvOutOfMemory; return n;
    case NM_SETFOCUS: n.kind = kLvSetFocus; return n;
    case NM_KILLFOCUS: n.kind = kLvKillFocus; return n;
    case NM_RETURN: n.kind = kLvReturn; n.ids = lv_get_focused(host); return n;
    case NM_CLICK: n.kind = kLvClick; cursor(); return n;
    case NM_DBLCLK: n.kind = kLvDblClk; cursor(); return n;
    case NM_RCLICK: n.kind = kLvRClick; cursor(); return n;
    case NM_RDBLCLK: n.kind = kLvRDblClk; cursor(); return n;
    case LVN_KEYDOWN:
        n.kind = kLvKeyDown;
        n.key = static_cast<short>(reinterpret_cast<const NMLVKEYDOWN&>(h).wVKey);
        return n;
    case LVN_ITEMCHANGING:
    case LVN_ITEMCHANGED: {
        const auto& v = reinterpret_cast<const NMLISTVIEW&>(h);
        if (!(v.uChanged & LVIF_STATE) || in.quiet) return std::nullopt;
        int id = in.owner ? row_id(in, v.iItem) : static_cast<int>(v.lParam);
        if (!in.items.count(id)) return std::nullopt;
        auto c = lv_item_change(h.code == static_cast<UINT>(LVN_ITEMCHANGING), v.uOldState, v.uNewState);
        if (!c) return std::nullopt;
        n.kind = c->kind;
        n.on = c->on;
        n.id = id;
        return n;
    }
    case LVN_COLUMNCLICK:
        n.kind = kLvColumnClick;
        n.column = reinterpret_cast<const NMLISTVIEW&>(h).iSubItem + 1;
        return n;
    case LVN_BEGINLABELEDITA:
        n.kind = kLvBeginLabelEdit;
        n.id = in.owner ? row_id(in, reinterpret_cast<const NMLVDISPINFOA&>(h).item.iItem)
                        : static_cast<int>(reinterpret_cast<const NMLVDISPINFOA&>(h).item.lParam);
        return n;
    case LVN_ENDLABELEDITA: {
        const auto& d = reinterpret_cast<const NMLVDISPINFOA&>(h);
        if (!d.item.pszText) return std::nullopt;  // cancelled
        n.kind = kLvEndLabelEdit;
        n.id = row_id(in, d.item.iItem);
        n.text = d.item.pszText;
        lv_edit_.push_back({n.id, n.text});
        return n;
    }
    case LVN_BEGINDRAG:
    case LVN_BEGINRDRAG: {
        const auto& v = reinterpret_cast<const NMLISTVIEW&>(h);
        n.kind = h.code == static_cast<UINT>(LVN_BEGINDRAG) ? kLvBeginDrag : kLvBeginRDrag;
        n.id = v.iItem >= 0 ? row_id(in, v.iItem) : kLvNoItem;
        SetCapture(in.control);
        dd_set_cursor(in.control, in.no_drop_cursor);
        lv_drag_ = Drag{host, n.id};
        return n;
    }
    }
    return std::nullopt;
}

bool on_notify(HWND host, const NMHDR& h, LRESULT* result) {
    LvInfo& in = info(host);
    if (h.hwndFrom != in.control) return false;
    if (in.owner && answer_control(in, h, result)) return true;
    std::optional<LvNotification> n = convert(host, in, h);
    if (n && notify_owner(host, *n)) {
        end_drag();
        lv_edit_.clear();
        // A refused edit must not reach the control either: false keeps the old text.
        *result = n->kind == kLvEndLabelEdit ? 0 : -1;
        return true;
    }
    // The owner let it pass: a finished edit becomes the item's text.
    std::vector<Edit> edits = std::move(lv_edit_);
    lv_edit_.clear();
    for (const Edit& e : edits) {
        if (!lv_info_.count(host) || !lv_info_[host].items.count(e.id)) continue;
        LvItem item = lv_get_item(host, e.id);
        item.text = e.text;
        lv_put_item(host, item);
    }
    return false;
}

// ---- Sorting callbacks.

int CALLBACK lv_sort_callback(LPARAM id1, LPARAM id2, LPARAM param) {
    if (!lv_sorting_) return 0;
    bool before = true;
    if (!lv_sorting_->compare(lv_sorting_->host, static_cast<int>(id1), static_cast<int>(id2), param, &before))
        return -1;
    return before ? -1 : 1;
}

int CALLBACK lv_my_sort_callback(LPARAM id1, LPARAM id2, LPARAM) {
    if (!lv_sorting1_) return 0;
    const TextSort& s = *lv_sorting1_;
    auto p1 = s.pos.find(static_cast<int>(id1)), p2 = s.pos.find(static_cast<int>(id2));
    if (p1 == s.pos.end() || p2 == s.pos.end()) return 0;
    return lv_text_compare(p1->second, p2->second, s.count, s.keep_first, s.keep_last, s.key.at(static_cast<int>(id1)),
                           s.key.at(static_cast<int>(id2)), s.dir);
}

int CALLBACK lv_my_unsort_callback(LPARAM id1, LPARAM id2, LPARAM) {
    if (!lv_sorting1_) return 0;
    return lv_unsort_compare(*lv_sorting1_->order, static_cast<int>(id1), static_cast<int>(id2));
}

LVCOLUMNA column_of(const LvColumn& c, int sub) {
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    // The first column is always left-aligned, as the control draws it.
    col.fmt = sub == 0 || c.align == LvAlign::left ? LVCFMT_LEFT : c.align == LvAlign::right ? LVCFMT_RIGHT : LVCFMT_CENTER;
    col.cx = c.width;
    col.pszText = const_cast<char*>(c.title.c_str());
    col.iSubItem = sub;
    return col;
}

void check_column(int column) {
    if (column < 1) vorn_raise(9004, "Bad column number");
}

}  // namespace

void lv_create(HWND host, int view_mode, const std::vector<unsigned>& style_flags, const std::vector<LvColumn>& columns,
               std::vector<LvItem> items, int drop_cursor, int no_drop_cursor, LvCallback callback) {
    if (lv_info_.count(host)) {
        HWND old = lv_info_[host].control;
        forget(host);
        DestroyWindow(old);
    }
    InitCommonControls();
    unsigned style = static_cast<unsigned>(view_mode & 3);
    for (unsigned f : style_flags) style |= f & ~0x1000u;
    // A sorting control looks through its rows for each row inserted, which takes minutes for
    // tens of thousands: a sorted list keeps its rows itself, sorted once.
    const unsigned sorting = style & (LVS_SORTASCENDING | LVS_SORTDESCENDING);
    if (sorting) style = (style & ~sorting) | LVS_OWNERDATA;
    RECT c;
    GetClientRect(host, &c);
    HWND control = CreateWindowExA(0, WC_LISTVIEWA, "List View", style | 0x50800000, 0, 0, c.right, c.bottom, host,
                                   nullptr, bars_instance(), nullptr);
    if (!control) vorn_raise(9000, "Cannot create the list");
    LvInfo& in = lv_info_[host];
    in.control = control;
    in.callback = callback;
    in.drop_cursor = drop_cursor;
    in.no_drop_cursor = no_drop_cursor;
    in.owner = sorting != 0;
    in.sorting = sorting;
    std::vector<std::pair<int, int>> bitmaps;
    for (const LvItem& i : items) bitmaps.emplace_back(i.normal_bitmap, i.small_bitmap);
    build_images(in, bitmaps);
    for (size_t i = 0; i < columns.size(); ++i) {
        LVCOLUMNA col = column_of(columns[i], static_cast<int>(i));
        send(in, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
    }
    in.columns = static_cast<int>(columns.size());
    for (auto it = items.rbegin(); it != items.rend(); ++it) in.order.push_back(it->id);
    if (in.owner) {
        in.items.reserve(items.size());
        for (const LvItem& i : items) {
            if (in.items.count(i.id)) vorn_raise(9000, "Item id in use");
            in.items[i.id] = ItemIndex{0, i.normal_bitmap, i.small_bitmap, in.next_seq++};
            in.records.push_back(i.id);
        }
        // By the item texts as the control compares them (one key a row instead of one a
        // comparison); rows of equal texts keep their order.
        std::vector<std::pair<std::string, size_t>> keyed;
        keyed.reserve(items.size());
        std::vector<char> buf;
        for (size_t i = 0; i < items.size(); ++i) keyed.emplace_back(text_key(items[i].text, buf), i);
        const bool down = sorting & LVS_SORTDESCENDING;
        std::stable_sort(keyed.begin(), keyed.end(), [down](const auto& a, const auto& b) { return key_before(a.first, b.first, down); });
        Kept k;
        in.rows.reserve(items.size());
        for (const auto& [key, i] : keyed) {
            LvItem& r = items[i];
            const unsigned bits = lv_state_bits(r.states);
            if (bits & LVIS_SELECTED) k.selected.push_back(r.id);
            if (bits & LVIS_FOCUSED) k.focused = r.id;
            r.states = lv_state_flags(bits & LVIS_CUT);
            in.rows.push_back(std::move(r));
        }
        send(in, LVM_SETCALLBACKMASK, LVIS_CUT | LVIS_DROPHILITED);
        reseat(in, k);
    } else {
        int row = 0;
        send(in, WM_SETREDRAW, FALSE, 0);
        send(in, LVM_SETITEMCOUNT, items.size(), 0);
        for (const LvItem& i : items) insert_at(in, i, row++, false);
        renumber(in);
        send(in, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(control, nullptr, TRUE);
    }
    in.advanced = "";
    in.control_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(trap_wnd<lv_subclass_eh>)));
    dd_register(control, lv_dd_cb);
    if (HWND parent = GetParent(host))
        if (LRESULT font = SendMessageA(parent, WM_GETFONT, 0, 0)) send(in, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
}

bool lv_handle_event(HWND host, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    auto it = lv_info_.find(host);
    if (it == lv_info_.end()) return false;
    LvInfo& in = it->second;
    LRESULT dummy = 0;
    if (!result) result = &dummy;
    switch (msg) {
    case WM_NOTIFY: return on_notify(host, *reinterpret_cast<const NMHDR*>(lp), result);
    case WM_SIZE:
        MoveWindow(in.control, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        *result = 0;
        return true;
    case WM_SETFONT: send(in, WM_SETFONT, wp, lp); *result = 0; return true;
    case WM_ENABLE: EnableWindow(in.control, static_cast<BOOL>(wp)); *result = 0; return true;
    case WM_SHOWWINDOW: ShowWindow(in.control, wp ? SW_SHOW : SW_HIDE); *result = 0; return true;
    case WM_DESTROY: forget(host); return false;
    }
    return false;
}

HWND lv_control_handle(HWND host) { return info(host).control; }

LvItem lv_get_item(HWND host, int id) {
    LvInfo& in = info(host);
    const ItemIndex& ix = index_of(in, id, 9001);
    if (in.owner) {
        LvItem out = in.rows[static_cast<size_t>(ix.row)];
        out.sub_texts.resize(static_cast<size_t>(std::max(0, in.columns - 1)));
        const UINT s = static_cast<UINT>(send(in, LVM_GETITEMSTATE, static_cast<WPARAM>(ix.row), LVIS_SELECTED | LVIS_FOCUSED));
        out.states = lv_state_flags((s & (LVIS_SELECTED | LVIS_FOCUSED)) | kept_bits(in, ix.row));
        return out;
    }
    std::vector<char> buf(1000);
    LVITEMA it = {};
    it.mask = LVIF_TEXT | LVIF_STATE;
    it.iItem = ix.row;
    it.stateMask = 0xFFFF;
    it.pszText = buf.data();
    it.cchTextMax = static_cast<int>(buf.size());
    send(in, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    LvItem out;
    out.id = id;
    out.text = buf.data();
    out.states = lv_state_flags(it.state);
    out.normal_bitmap = ix.normal;
    out.small_bitmap = ix.small;
    for (int col = 2; col <= in.columns; ++col) {
        buf.assign(1000, 0);
        LVITEMA s = {};
        s.iSubItem = col - 1;
        s.pszText = buf.data();
        s.cchTextMax = static_cast<int>(buf.size());
        send(in, LVM_GETITEMTEXTA, static_cast<WPARAM>(ix.row), reinterpret_cast<LPARAM>(&s));
        out.sub_texts.push_back(buf.data());
    }
    return out;
}

void lv_put_item(HWND host, const LvItem& item) {
    LvInfo& in = info(host);
    ItemIndex& ix = index_of(in, item.id, 9000);
    ix.normal = item.normal_bitmap;
    ix.small = item.small_bitmap;
    rebuild_images(in, &item);
    if (in.owner) {
        LvItem& r = in.rows[static_cast<size_t>(ix.row)];
        const unsigned bits = lv_state_bits(item.states);
        r.text = item.text;
        r.normal_bitmap = item.normal_bitmap;
        r.small_bitmap = item.small_bitmap;
        r.sub_texts = item.sub_texts;
        r.states = lv_state_flags(bits & LVIS_CUT);
        set_state(in, ix.row, bits & (LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
        redraw_row(in, ix.row);
        return;
    }
    LVITEMA it = {};
    it.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
    it.iItem = ix.row;
    it.pszText = const_cast<char*>(item.text.c_str());
    it.iImage = image_of(in, ix);
    it.state = lv_state_bits(item.states);
    it.stateMask = 0xFFFF;
    send(in, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    set_sub_texts(in, ix.row, item.sub_texts);
}

void lv_insert_item(HWND host, const LvItem& item) {
    LvInfo& in = info(host);
    rebuild_images(in, &item);
    if (in.owner) {
        if (in.items.count(item.id)) vorn_raise(9000, "Item id in use");
        // In its place by text, as the control would put it.
        std::vector<char> buf;
        const std::string key = text_key(item.text, buf);
        const bool down = in.sorting & LVS_SORTDESCENDING;
        auto at = std::upper_bound(in.rows.begin(), in.rows.end(), key, [&](const std::string& k, const LvItem& r) {
            return key_before(k, text_key(r.text, buf), down);
        });
        Kept k = keep(in);
        const unsigned bits = lv_state_bits(item.states);
        if (bits & LVIS_SELECTED) k.selected.push_back(item.id);
        if (bits & LVIS_FOCUSED) k.focused = item.id;
        LvItem r = item;
        r.states = lv_state_flags(bits & LVIS_CUT);
        in.rows.insert(at, std::move(r));
        in.items[item.id] = ItemIndex{0, item.normal_bitmap, item.small_bitmap, in.next_seq++};
        in.records.push_back(item.id);
        in.order.insert(in.order.begin(), item.id);
        reseat(in, k);
        return;
    }
    insert_at(in, item, static_cast<int>(send(in, LVM_GETITEMCOUNT)));
    set_images(in);
    in.order.insert(in.order.begin(), item.id);
}

void lv_delete_item(HWND host, int id) {
    LvInfo& in = info(host);
    const ItemIndex ix = index_of(in, id, 9001);
    const Kept k = in.owner ? keep(in) : Kept{};
    if (in.owner)
        in.rows.erase(in.rows.begin() + ix.row);
    else
        send(in, LVM_DELETEITEM, static_cast<WPARAM>(ix.row));
    in.items.erase(id);
    std::erase(in.records, id);
    std::erase(in.order, id);
    if (in.owner) {
        in.drop_row = -1;
        reseat(in, k);
    } else {
        renumber(in);
        set_images(in);
    }
}

void lv_clear(HWND host) {
    LvInfo& in = info(host);
    send(in, LVM_DELETEALLITEMS);
    in.rows.clear();
    in.drop_row = -1;
    // Ids of cleared rows would otherwise name other rows later.
    in.items.clear();
    in.records.clear();
    in.order.clear();
}

namespace {
std::vector<int> with_state(HWND host, int flag) {
    LvInfo& in = info(host);
    std::vector<int> out;
    if (in.owner && (flag == kLvSelected || flag == kLvFocused)) {
        // Only the marked rows, not every row, in the order of making.
        const WPARAM which = flag == kLvSelected ? LVNI_SELECTED : LVNI_FOCUSED;
        for (int r = -1; (r = static_cast<int>(send(in, LVM_GETNEXTITEM, static_cast<WPARAM>(r), which))) >= 0;)
            out.push_back(row_id(in, r));
        std::sort(out.begin(), out.end(), [&](int a, int b) { return in.items[a].seq < in.items[b].seq; });
        return out;
    }
    for (int id : in.records) {
        UINT s = static_cast<UINT>(send(in, LVM_GETITEMSTATE, static_cast<WPARAM>(in.items[id].row), 0xFFFF));
        if (s & static_cast<UINT>(flag)) out.push_back(id);
    }
    return out;
}

void set_flag(HWND host, int id, int flag, bool on) {
    LvItem item = lv_get_item(host, id);
    std::erase(item.states, flag);
    if (on) item.states.push_back(flag);
    lv_put_item(host, item);
}
}  // namespace

std::vector<int> lv_get_selected(HWND host) { return with_state(host, kLvSelected); }
std::vector<int> lv_get_focused(HWND host) { return with_state(host, kLvFocused); }

void lv_select_items(HWND host, const std::vector<int>& ids, bool on) {
    for (int id : ids) set_flag(host, id, kLvSelected, on);
}

void lv_focus_item(HWND host, int id, bool on) { set_flag(host, id, kLvFocused, on); }

std::pair<int, unsigned> lv_hit_test(HWND host, int x, int y) {
    LvInfo& in = info(host);
    unsigned flags = 0;
    int row = hit_row(in, x, y, &flags);
    return {row >= 0 ? row_id(in, row) : kLvNoItem, flags};
}

int lv_item_count(HWND host) { return static_cast<int>(send(info(host), LVM_GETITEMCOUNT)); }
int lv_rows_per_page(HWND host) { return static_cast<int>(send(info(host), LVM_GETCOUNTPERPAGE)); }
int lv_get_view_mode(HWND host) { return view_mode(info(host)); }

void lv_set_view_mode(HWND host, int mode) {
    LvInfo& in = info(host);
    LONG s = GetWindowLongA(in.control, GWL_STYLE);
    SetWindowLongA(in.control, GWL_STYLE, (s & ~3) | (mode & 3));
    set_images(in);
}

std::vector<unsigned> lv_get_style(HWND host) {
    const LvInfo& in = info(host);
    return lv_style_list(static_cast<unsigned>(GetWindowLongA(in.control, GWL_STYLE)) | in.sorting);
}

void lv_set_style(HWND host, const std::vector<unsigned>& flags) {
    LvInfo& in = info(host);
    auto s = lv_style_apply(static_cast<unsigned>(GetWindowLongA(in.control, GWL_STYLE)) | in.sorting, flags);
    if (in.owner) {
        // The rows are not sorted again, as the control would not sort them either.
        in.sorting = s & (LVS_SORTASCENDING | LVS_SORTDESCENDING);
        s &= ~in.sorting;
    }
    SetWindowLongA(in.control, GWL_STYLE, static_cast<LONG>(s));
    // Two sizes make the control lay itself out in the new style.
    RECT r;
    GetWindowRect(host, &r);
    MapWindowPoints(nullptr, GetParent(host), reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(host, r.left, r.top, r.right - r.left + 1, r.bottom - r.top, TRUE);
    MoveWindow(host, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

LvColumn lv_get_column(HWND host, int column) {
    check_column(column);
    LvInfo& in = info(host);
    char buf[1000] = {};
    LVCOLUMNA c = {};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    c.pszText = buf;
    c.cchTextMax = sizeof buf;
    send(in, LVM_GETCOLUMNA, static_cast<WPARAM>(column - 1), reinterpret_cast<LPARAM>(&c));
    int f = c.fmt & LVCFMT_JUSTIFYMASK;
    return {buf, c.cx, f == LVCFMT_RIGHT ? LvAlign::right : f == LVCFMT_CENTER ? LvAlign::center : LvAlign::left};
}

void lv_set_column(HWND host, int column, const LvColumn& c) {
    check_column(column);
    LvInfo& in = info(host);
    LVCOLUMNA col = column_of(c, column - 1);
    send(in, LVM_SETCOLUMNA, static_cast<WPARAM>(column - 1), reinterpret_cast<LPARAM>(&col));
}

void lv_insert_column(HWND host, int column, const LvColumn& c) {
    check_column(column);
    LvInfo& in = info(host);
    LVCOLUMNA col = column_of(c, column - 1);
    if (send(in, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column - 1), reinterpret_cast<LPARAM>(&col)) >= 0) ++in.columns;
    InvalidateRect(in.control, nullptr, TRUE);
}

void lv_delete_column(HWND host, int column) {
    check_column(column);
    LvInfo& in = info(host);
    if (send(in, LVM_DELETECOLUMN, static_cast<WPARAM>(column - 1))) in.columns = std::max(0, in.columns - 1);
    InvalidateRect(in.control, nullptr, TRUE);
}

std::pair<COLORREF, COLORREF> lv_get_colors(HWND host) {
    LvInfo& in = info(host);
    return {static_cast<COLORREF>(send(in, LVM_GETTEXTCOLOR)), static_cast<COLORREF>(send(in, LVM_GETTEXTBKCOLOR))};
}

void lv_set_colors(HWND host, COLORREF text, COLORREF background) {
    LvInfo& in = info(host);
    send(in, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(text));
    send(in, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(background));
    InvalidateRect(in.control, nullptr, TRUE);
}

void lv_arrange(HWND host, int how) { send(info(host), LVM_ARRANGE, static_cast<WPARAM>(how)); }

void lv_ensure_visible(HWND host, int id) {
    LvInfo& in = info(host);
    send(in, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index_of(in, id, 9000).row), FALSE);
}

POINT lv_get_item_position(HWND host, int id) {
    LvInfo& in = info(host);
    POINT p = {};
    send(in, LVM_GETITEMPOSITION, static_cast<WPARAM>(index_of(in, id, 9000).row), reinterpret_cast<LPARAM>(&p));
    return p;
}

void lv_set_item_position(HWND host, int id, POINT p) {
    LvInfo& in = info(host);
    send(in, LVM_SETITEMPOSITION, static_cast<WPARAM>(index_of(in, id, 9000).row), MAKELPARAM(p.x, p.y));
}

int lv_next_item(HWND host, int id, int direction) {
    LvInfo& in = info(host);
    int row = static_cast<int>(send(in, LVM_GETNEXTITEM, static_cast<WPARAM>(index_of(in, id, 9000).row), direction));
    return row >= 0 ? row_id(in, row) : kLvNoItem;
}

void lv_sort(HWND host, LPARAM param, LvCompare compare) {
    LvInfo& in = info(host);
    if (in.owner) {
        std::vector<size_t> perm = identity(in.rows.size());
        std::stable_sort(perm.begin(), perm.end(), [&](size_t a, size_t b) {
            bool before = true;
            return !compare(host, in.rows[a].id, in.rows[b].id, param, &before) || before;
        });
        reorder(in, perm);
        return;
    }
    lv_sorting_ = Sorting{host, compare, param};
    send(in, LVM_SORTITEMS, static_cast<WPARAM>(param), reinterpret_cast<LPARAM>(lv_sort_callback));
    renumber(in);
    set_images(in);
}

void lv_text_sort(HWND host, LvSortOrder dir, int column, int keep_first, int keep_last) {
    LvInfo& in = info(host);
    if (in.owner) {
        std::vector<size_t> perm = identity(in.rows.size());
        if (dir == LvSortOrder::unsorted) {
            std::stable_sort(perm.begin(), perm.end(), [&](size_t a, size_t b) {
                return lv_unsort_compare(in.order, in.rows[a].id, in.rows[b].id) < 0;
            });
        } else {
            const int n = static_cast<int>(in.rows.size());
            std::vector<std::optional<std::string>> keys;
            for (const LvItem& r : in.rows) keys.push_back(lv_sort_key(r, column));
            std::stable_sort(perm.begin(), perm.end(), [&](size_t a, size_t b) {
                return lv_text_compare(static_cast<int>(a) + 1, static_cast<int>(b) + 1, n, keep_first, keep_last, keys[a],
                                       keys[b], dir) < 0;
            });
        }
        reorder(in, perm);
        return;
    }
    TextSort s{host, dir, column, keep_first, keep_last, static_cast<int>(send(in, LVM_GETITEMCOUNT)), {}, {}, &in.order};
    if (dir == LvSortOrder::unsorted) {
        s.column = s.keep_first = s.keep_last = 0;
        lv_sorting1_ = std::move(s);
        send(in, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(lv_my_unsort_callback));
    } else {
        // Keys and rows are taken before the control starts moving rows.
        for (const auto& [id, ix] : in.items) {
            s.pos[id] = ix.row + 1;
            s.key[id] = lv_sort_key(lv_get_item(host, id), column);
        }
        lv_sorting1_ = std::move(s);
        send(in, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(lv_my_sort_callback));
    }
    renumber(in);
    set_images(in);
}

std::string lv_get_drag_text(HWND host) { return info(host).advanced; }
void lv_set_drag_text(HWND host, const std::string& text) { info(host).advanced = text; }

LRESULT lv_host_proc(HWND host, UINT msg, WPARAM wp, LPARAM lp, const char* help_key) {
    if (msg == WM_HELP) {
        help_keyword(help_key);
        return TRUE;
    }
    LRESULT r = 0;
    if (lv_handle_event(host, msg, wp, lp, &r)) return r;
    return DefWindowProcA(host, msg, wp, lp);
}
