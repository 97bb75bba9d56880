// The document written out as text: numbered outlines, ID lists, the sequence listing, the
// rich-text draft and the files a document refers to.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

// Kind 1: the outline of the objects (trees along the links, roots being objects no link leads
// to), numbered with text setting 25, each object's text indented below its line; 2 the IDs of
// the sequenced objects; 3 all IDs in stored order; 4 the IDs of objects in no link. Lines end
// in a line feed. Filter -1 keeps all objects, a palette index only objects of that colour.
std::string view_write_outline(int kind, int filter);

// The label of an item of the outline: `path` holds the item's position among its siblings
// (from 1) at each depth, outermost first. "1.1.1" numbers "2.1.3"; "A.a.1" numbers "B.a.3";
// other formats number each depth on its own ("~1 A(i)": no label, "1", "A", "(i)");
// 1 arabic, A a letters, I i Roman numerals, o and * bullets, ~ no label; the last style
// repeats for deeper items.
std::string view_outline_label(std::string_view format, const std::vector<int>& path);

// One line per sequence record: the object's ID padded with blanks or cut to 20 characters,
// then its key.
std::vector<std::string> view_seq_listing();

// Files the document refers to (picture files of "Picture*" objects, the background picture
// when the background shows it): kind 2 full paths and kind 3 the file names of existing ones;
// kind 1 the names as stored, a missing one followed by " (missing)".
std::vector<std::string> view_attached_files(int kind);

// The rich-text draft: the outline with each object's text.
std::string view_rtf_text();
// Text made safe for rich text: \ { } escaped, bytes above 127 as \'hh, line feeds as \par.
std::string view_rtf_escape(std::string_view s);
