// Exports of the diagram: an HTML page showing a picture of the diagram with an image map of its
// objects, and the outline as a text file. Portable parts; the commands are in export_win.cpp.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/canvas.h"
#include "document/document.h"

struct MapArea {
    Rc rect;            // picture pixels, top < bottom
    std::string title;  // the object's ID
    std::string href;   // "" when the object leads nowhere a browser can follow
};

// Where an object leads in a web page: the file or address of its action, else "".
std::string view_obj_href(const Obj& o);
// Text made safe inside HTML text and attribute values.
std::string view_html_escape(std::string_view s);
// The page: title, the picture `image` (width x height pixels) and its map.
std::string view_html_page(const std::string& title, const std::string& image, int width, int height,
                           const std::vector<MapArea>& areas);
// The outline of the whole document with CR LF line ends, for a text file.
std::string view_outline_file_text();

// Windows build: writes the page and, beside it, the picture of the diagram window as ".bmp".
bool view_export_html_to(const std::string& page, std::string* error);
