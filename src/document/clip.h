// What the clipboard commands move: the marked part of the diagram as record text, the IDs as
// plain text, and what pasting text lines and pictures makes. Portable; the clipboard itself is
// in clipboard_win.cpp.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/canvas.h"
#include "document/document.h"

constexpr char kClipFormatName[] = "Vorn Diagram";

// The marked objects (with their clusters, texts and attachments), the links among them and
// the marked shapes, without settings; no objects or shapes when nothing is marked.
Document view_clip_part();
// The same as record text; "" when nothing is marked.
std::string view_clip_text();
// Gives `part` what painting it as the document shows it needs besides its records: the
// document's settings and the values of its objects.
void view_clip_add_look(Document& part);
// The IDs of the marked objects, one per line (CR LF).
std::string view_clip_ids();

// Adds the records of `text` to the document on `level`, moved by (dx, dy): objects and shapes
// get new keys, links follow their objects, links to objects not pasted are dropped. The new
// items become the marked ones. One step "Paste"; nullopt with a message when the text is no
// diagram part or there are not keys for all of its objects (then nothing is pasted).
std::optional<std::vector<Key>> view_clip_paste(std::string_view text, int level, int dx, int dy,
                                                std::string* error);

// Where a pasted part goes so that it covers nothing: the first offset (k x step, -k x step),
// k = 0, 1, 2 ..., at which no rectangle of `part` overlaps one of `taken` (rectangles in
// diagram units, either corner order). After `tries` offsets it settles for the first that
// clears the part's own place, where the original lies.
Pt view_clip_clear_offset(const std::vector<Rc>& part, const std::vector<Rc>& taken, int step, int tries = 40);
// The move that puts the middle of the part's items at `at`.
Pt view_clip_offset_to(std::string_view text, Pt at);

// Each non-empty line becomes an object, in a column from `at` downwards. One step "Paste".
// When not every line can have a key, the user is told how many do not fit and nothing is
// pasted.
std::vector<Key> view_paste_lines(const std::vector<std::string>& lines, Pt at, int level);
// Splits pasted text into lines (CR LF, LF or CR).
std::vector<std::string> view_split_lines(std::string_view text);

// A "Picture" object (shape 173) at `at` holding the bytes of a .bmp file or of an enhanced
// metafile as its embedded picture; nullopt for other bytes.
std::optional<Key> view_paste_picture(std::string_view bmp, Pt at, int level);
// A .bmp file made from a packed DIB (header, colour table, bits); "" when the DIB is broken.
std::string view_bmp_from_dib(std::string_view dib);

// Removes the marked objects, links and shapes as one step `name` ("Delete", "Cut"); false
// when none.
bool view_clip_delete(const char* name = "Delete");
// Marks every object and shape of `level` and the links among those objects.
void view_select_all(int level);

// Registers the clipboard and export commands of the main menu (Windows build).
void view_doc_register_commands();
