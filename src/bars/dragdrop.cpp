#include "bars/dragdrop.h"

#include "base/record.h"

std::string dd_mess_text(const DdMess& m) {
    rec::Record r{"dd_mess",
                  {m.kind, static_cast<int64_t>(m.target), static_cast<int64_t>(m.source), m.x, m.y, m.button, m.data}};
    std::string out;
    rec::write(out, r);
    return out;
}

std::optional<DdMess> dd_mess_parse(std::string_view text) {
    std::vector<rec::Record> recs;
    if (!rec::parse_all(text, recs) || recs.size() != 1) return std::nullopt;
    const rec::Record& r = recs[0];
    if (r.name != "dd_mess" || r.args.size() != 7) return std::nullopt;
    for (int i = 0; i < 6; ++i)
        if (r.args[i].kind != rec::Kind::Int) return std::nullopt;
    if (r.args[6].kind != rec::Kind::Str) return std::nullopt;
    DdMess m;
    m.kind = static_cast<int>(r.args[0].i);
    m.target = static_cast<DdWin>(r.args[1].i);
    m.source = static_cast<DdWin>(r.args[2].i);
    m.x = static_cast<int>(r.args[3].i);
    m.y = static_cast<int>(r.args[4].i);
    m.button = static_cast<int>(r.args[5].i);
    m.data = r.args[6].s;
    return m;
}

std::vector<std::string> dd_split_pieces(std::string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    std::vector<std::string> out;
    size_t pos = 0;
    do {
        std::string_view part = text.substr(pos, kDdPieceBytes);
        std::string p = "p";
        for (unsigned char c : part) {
            p += hex[c >> 4];
            p += hex[c & 15];
        }
        out.push_back(std::move(p));
        pos += part.size();
    } while (pos < text.size());
    return out;
}

std::optional<std::string> dd_piece_decode(std::string_view name) {
    if (name.empty() || (name[0] != 'p' && name[0] != 'P') || name.size() % 2 != 1) return std::nullopt;
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 1; i < name.size(); i += 2) {
        int hi = nibble(name[i]), lo = nibble(name[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
    }
    return out;
}

DdWin dd_message_window(DdWin w, const std::function<DdWin(DdWin)>& parent, const std::function<bool(DdWin)>& handles) {
    DdWin cur = w;
    // A depth bound guards against a cycle in a damaged window tree.
    for (int depth = 0; depth < 1000; ++depth) {
        DdWin p = parent(cur);
        if (!p) return cur;
        if (handles(p)) return p;
        cur = p;
    }
    return cur;
}

std::vector<DdSend> dd_drag_sequence(DdWin prev, DdWin under, bool drop) {
    std::vector<DdSend> out;
    // Leaving for another window, for outside the program or for a drop elsewhere clears the
    // last window's drop highlight.
    if (prev && prev != under) out.push_back({kDdLeave, prev});
    if (!drop && under && under != prev) out.push_back({kDdEnter, under});
    if (under) out.push_back({drop ? kDdDrop : kDdOver, under});
    return out;
}
