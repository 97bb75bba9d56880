// Drag and drop between the program's windows (portable part): the drag message, its text
// form, the atom pieces that carry it, and which messages a drag step sends.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum DdKind : int { kDdEnter = 1, kDdOver = 2, kDdLeave = 3, kDdDrop = 4 };

// Window handles travel as integers.
using DdWin = uint32_t;

struct DdMess {
    int kind = kDdOver;
    DdWin target = 0, source = 0;
    int x = 0, y = 0;  // in the target's client coordinates
    int button = 0;    // 0 left, 1 right
    std::string data;
    bool operator==(const DdMess&) const = default;
};

std::string dd_mess_text(const DdMess& m);
std::optional<DdMess> dd_mess_parse(std::string_view text);

// Atom names are case-blind, shared by every program and limited to 255 characters; a name
// like "#12" becomes a number. So each piece is 'p' and the hex digits of up to 127 bytes, and
// even an empty text travels as one piece.
constexpr size_t kDdPieceBytes = 127;
std::vector<std::string> dd_split_pieces(std::string_view text);
// The bytes of one piece; nullopt when the name is not a piece.
std::optional<std::string> dd_piece_decode(std::string_view name);

// The window that receives the drag messages for `w`: the nearest proper ancestor that handles
// them, else the top of the climb (w itself without a parent).
DdWin dd_message_window(DdWin w, const std::function<DdWin(DdWin)>& parent, const std::function<bool(DdWin)>& handles);

// The messages of one drag step: (kind, window the message is about). `prev` is the window the
// cursor was last over, `under` the one it is over now (0 when outside the program).
struct DdSend {
    int kind;
    DdWin target;
    bool operator==(const DdSend&) const = default;
};
std::vector<DdSend> dd_drag_sequence(DdWin prev, DdWin under, bool drop);

// Protocol values: WM_USER with these wParams; every step is answered kDdAnswer.
constexpr uintptr_t kDdBegin = 8031989, kDdPiece = 25011965, kDdEnd = 16011966, kDdAnswer = 16011966;
