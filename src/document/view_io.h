// Reading and writing document files. A file is parsed whole into a separate document and
// replaces the current one only when it read cleanly; saving writes a temporary file beside the
// target and then replaces the target, so a failure never harms the old file.
#pragma once

#include <string>
#include <string_view>

#include "document/document.h"

// Reads a document file into `out` without touching the current document. A missing file gives
// an empty document. False with a message naming the file and the line ("Loading %s").
bool view_read_document(const std::string& name, Document& out, std::string* error);
// What the last read changed to make an old file usable (objects or shapes sharing a key are
// given free keys of their own), as a note for the user; "" when nothing. Taking it clears it.
std::string view_take_load_note();

// "" starts an empty document; otherwise the file replaces the current document (a missing file
// gives an empty one). On failure the current document stays as it was.
bool view_load_file(const std::string& name, std::string* error);
// Makes `d` (read by view_read_document) the current document: no marks, no undo history.
void view_use_document(Document&& d);
// Called after view_load_file or view_use_document replaced the document: what still holds
// values of the one before (an open modeless dialog) lets go of them.
void view_on_replaced(void (*hook)());

// What a document keeps of the window around it: the zoom (setting 21), the drawing colour
// (310) and the current tools of the toolbox's object, route, point and weight groups (311,
// 312, 314 = point style less 1, 362).
struct ViewTools {
    int zoom = 100;
    int colour = 2;
    int object = 161;
    int route = 0;
    int point = 1;
    int weight = 0;
    bool operator==(const ViewTools&) const = default;
};
// As the document holds them; a value no tool or palette entry has gives the default.
ViewTools view_tools_of(const Document& d);
// As the zoom, the palette and the toolbox hold them now.
ViewTools view_tools_now();
// Stores them in the document's settings without an undo step or the changed mark; true when
// a setting changed.
bool view_tools_store(Document& d, const ViewTools& t);
// Gives the zoom, the palette and the toolbox these values (no repaint).
void view_tools_apply(const ViewTools& t);

// The window side of the tools, installed by the bars at start-up. Unset, the document's own
// values stand and every code counts as a tool.
struct ToolsHooks {
    ViewTools (*now)() = nullptr;
    void (*apply)(const ViewTools& t) = nullptr;
    // True when some button of toolbox group `group` carries `code`.
    bool (*exists)(int group, int code) = nullptr;
};
void view_set_tools_hooks(const ToolsHooks& hooks);

// Writes the current document to `name`, with the zoom, colour and tools of the moment first
// (view_tools_now); the changed mark is cleared on success. With
// `backup_bk2` an existing file is first copied to the same name with ".bk2": if that copy
// fails the save still goes on, returns true and leaves the reason in *error.
bool view_save_file(const std::string& name, std::string* error, bool backup_bk2 = false);

// Saves under `name`: ".rtf" writes the outline with each object's text as rich text,
// anything else the document file.
bool view_save(const std::string& name, std::string* error);

// Writes `data` to a temporary file in the folder of `name`, flushes it to disk and replaces
// `name` with it; on failure the temporary file is removed and `name` is untouched.
bool view_write_replace(const std::string& name, std::string_view data, std::string* error);

// Reads a whole file; false when it cannot be opened (`missing` tells whether it does not exist).
bool view_read_whole(const std::string& name, std::string& out, bool* missing = nullptr);

// What Encrypt/Decrypt File did: a file that reads (as a document, or as plain text) is
// encrypted; one the password turns into such a file is decrypted; a file that neither reads
// nor is made to read is `refused` when its name says what it should be, else (pictures and
// other binary files, which cannot be judged) the routine runs and the outcome is `either`.
enum class CryptOutcome { encrypted, decrypted, either, refused };
// Applies the routine with `key` to `data`, the bytes of file `name` (judged by its extension:
// ".vrn" and ".ide" as documents, ".txt" and ".rtf" as text); `refused` leaves `data` byte for
// byte as it was.
CryptOutcome view_crypt_text(std::string& data, uint16_t key, std::string_view name);
// True when the text of a file that does not read as a document looks scrambled (bytes no
// document holds), as an encrypted document does.
bool view_text_looks_encrypted(std::string_view text);

// The document text the save writes (temporary region shapes left out).
std::string view_document_text(const Document& d);
