#include "document/export.h"

#include <algorithm>

#include "document/view.h"

namespace {

bool starts_with_nocase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t k = 0; k < prefix.size(); ++k) {
        char a = s[k], b = prefix[k];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

std::string trimmed(std::string_view s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return std::string(s.substr(b, e - b + 1));
}

}  // namespace

std::string view_obj_href(const Obj& o) {
    std::string ext = trimmed(o.ext);
    if (ext.empty() || ext.find('\n') != std::string::npos) return {};
    for (const char* scheme : {"http://", "https://", "ftp://", "mailto:"})
        if (starts_with_nocase(ext, scheme)) return ext;
    // Actions whose extension names a file: text file, document, sub-document, file, sound.
    switch (o.action) {
    case 1: case 6: case 24: case 39: case 40: break;
    default: return {};
    }
    std::replace(ext.begin(), ext.end(), '\\', '/');
    return ext;
}

std::string view_html_escape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        case '\r': break;
        case '\n': out += ' '; break;
        default:
            if (static_cast<unsigned char>(c) < 32) out += ' ';
            else out.push_back(c);
        }
    }
    return out;
}

std::string view_html_page(const std::string& title, const std::string& image, int width, int height,
                           const std::vector<MapArea>& areas) {
    const std::string t = view_html_escape(title);
    std::string out;
    out += "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"windows-1252\">\r\n<title>";
    out += t;
    out += "</title>\r\n</head>\r\n<body>\r\n<h1>";
    out += t;
    out += "</h1>\r\n<p><img src=\"" + view_html_escape(image) + "\" width=\"" + std::to_string(width) +
           "\" height=\"" + std::to_string(height) + "\" alt=\"" + t + "\" usemap=\"#diagram\"></p>\r\n";
    out += "<map name=\"diagram\">\r\n";
    // The first matching area wins in a browser: the topmost object (painted last) goes first.
    for (auto it = areas.rbegin(); it != areas.rend(); ++it) {
        const MapArea& a = *it;
        out += "<area shape=\"rect\" coords=\"" + std::to_string(a.rect.left) + "," + std::to_string(a.rect.top) + "," +
               std::to_string(a.rect.right) + "," + std::to_string(a.rect.bottom) + "\" ";
        if (a.href.empty()) out += "nohref ";
        else out += "href=\"" + view_html_escape(a.href) + "\" ";
        out += "title=\"" + view_html_escape(a.title) + "\" alt=\"" + view_html_escape(a.title) + "\">\r\n";
    }
    out += "</map>\r\n</body>\r\n</html>\r\n";
    return out;
}

std::string view_outline_file_text() {
    std::string text = view_write_outline(1, -1);
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out += "\r\n";
        else out.push_back(c);
    }
    return out;
}
