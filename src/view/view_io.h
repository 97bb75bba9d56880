// Reading and writing document files. A file is parsed whole into a separate document and
// replaces the current one only when it read cleanly; saving writes a temporary file beside the
// target and then replaces the target, so a failure never harms the old file.
#pragma once

#include <string>
#include <string_view>

#include "view/document.h"

// Reads a document file into `out` without touching the current document. A missing file gives
// an empty document. False with a message naming the file and the line ("Loading %s").
bool view_read_document(const std::string& name, Document& out, std::string* error);

// "" starts an empty document; otherwise the file replaces the current document (a missing file
// gives an empty one). On failure the current document stays as it was.
bool view_load_file(const std::string& name, std::string* error);

// Writes the current document to `name`; the changed mark is cleared on success. With
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

// The document text the save writes (temporary region shapes left out).
std::string view_document_text(const Document& d);
