// The object module's window side: the duplicate-ID note, picture files for picture objects,
// reports of files that could not be loaded, and the painter's default hooks.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "elements/obj_paint.h"

class Document;

// The duplicate-ID note "%s already exists (warn only)" when main-menu item 10916 is checked
// and the rules of obj_id_dup_should_warn hold; the caller goes on either way.
void obj_id_dup_warn(const std::string& new_id, const std::string& old_id);

// Picture objects: a bitmap (".bmp" file, or the embedded data of a shape-173 object), an
// enhanced or Windows metafile (".emf", ".wmf"), an icon file (".ico"). Kept by name while the
// file keeps its size and time (looked at again at most once a second); a name that cannot be
// loaded is reported once.
std::shared_ptr<const Dib> obj_picture_bitmap(Key key, std::string_view name);
std::optional<ObjMetafile> obj_picture_metafile(Key key, std::string_view name);
// The same for an object of `doc` rather than of the current document.
std::shared_ptr<const Dib> obj_picture_bitmap(const Document& doc, Key key, std::string_view name);
std::optional<ObjMetafile> obj_picture_metafile(const Document& doc, Key key, std::string_view name);
const void* obj_picture_icon(std::string_view name);
// Releases every kept picture; the view calls it whenever another document (or the same one
// again) becomes current.
void obj_picture_cache_clear();
// Pictures kept now.
size_t obj_picture_cache_size();

// "Loading %s" for path (or `what`, the error's own account of the file), at most once per path
// and run, shown after the current message (never from inside a paint); the failures of one
// paint share one box.
void obj_report_load_failure(const std::string& path, unsigned long err, const std::string& what = {});
// While held (a picture name is being typed), such reports wait, to be shown once let go.
void obj_hold_load_reports(bool hold);

// Installs the painter's default hooks and the view-window conversion of obj_rect.
void obj_win_install();
