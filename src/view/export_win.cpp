// File > Export HTML and Export Outline: the diagram window's picture with an image map of its
// objects, and the outline as a text file.
#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "bars/sbar.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/pict_win.h"
#include "document/export.h"
#include "document/view.h"
#include "view/view_win.h"

namespace {

// Asks for the name to export to, starting from `start` (else the document's name); "" when the
// user cancels.
std::string ask_name(const char* title, const char* filter, const char* ext, std::string start = {}) {
    char name[MAX_PATH] = {};
    if (start.empty() && !file_current_name().empty())
        start = file_with_ext(file_name_part(file_current_name()), std::string(".") + ext);
    lstrcpynA(name, start.c_str(), MAX_PATH);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = main_inst_;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = name;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title;
    ofn.lpstrDefExt = ext;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameA(&ofn)) return {};
    return name;
}

// GIF: every browser shows it, and a diagram's few flat colours keep it exact.
std::string picture_of(const std::string& page) { return file_with_ext(page, ".gif"); }

// The diagram as the window shows it, as the bytes of a 24-bit .bmp file.
std::string picture_bmp(const ViewMapping& m) {
    const int w = m.client_w, h = m.client_h;
    if (w <= 0 || h <= 0) return {};
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!dc || !bmp || !bits) {
        if (bmp) DeleteObject(bmp);
        if (dc) DeleteDC(dc);
        return {};
    }
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    view_apply_mapping(dc, m);
    view_paint_dc(dc, m, all);
    GdiFlush();
    const DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) & ~3u);
    const DWORD size = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof(BITMAPINFOHEADER);
    fh.bfSize = fh.bfOffBits + size;
    std::string out(reinterpret_cast<const char*>(&fh), sizeof fh);
    out.append(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof(BITMAPINFOHEADER));
    out.append(static_cast<const char*>(bits), size);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return out;
}

}  // namespace

bool view_export_html_to(const std::string& page, std::string* error) {
    if (!view_inst_) {
        if (error) *error = "Saving " + page + "\nThere is no diagram window";
        return false;
    }
    const ViewMapping m = view_mapping();
    std::string bmp = picture_bmp(m);
    if (bmp.empty()) {
        if (error) *error = "Saving " + page + "\nThe picture of the diagram could not be made";
        return false;
    }
    const std::string image = picture_of(page);
    const int level = sbar_view_state().level;
    std::vector<MapArea> areas;
    for (const ObjBox& b : view_painted_objects()) {
        if (b.level != level) continue;
        const Obj* o = view_doc().obj(b.key);
        if (!o) continue;
        Rc r = m.to_device_rect(b.rect);
        r.left = std::max(r.left, 0);
        r.top = std::max(r.top, 0);
        r.right = std::min(r.right, m.client_w);
        r.bottom = std::min(r.bottom, m.client_h);
        if (r.left >= r.right || r.top >= r.bottom) continue;
        areas.push_back({r, o->id, view_obj_href(*o)});
    }
    std::string title = view_text_param_get(22);
    if (title.empty()) title = file_name_part(file_current_name());
    try {
        HGLOBAL pic = pict_from_dib(std::vector<uint8_t>(bmp.begin() + 14, bmp.end()));
        try {
            pict_save(pic, image);
        } catch (...) {
            GlobalFree(pic);
            throw;
        }
        GlobalFree(pic);
    } catch (const VornError& e) {
        if (error) *error = error_message_text("Saving %s", image, e.code, "");
        return false;
    }
    return view_write_replace(page, view_html_page(title, file_name_part(image), m.client_w, m.client_h, areas), error);
}

void view_export_html() {
    if (!view_inst_) return;
    std::string page;
    do {
        page = ask_name("Export HTML", "Web page (*.htm)\0*.htm;*.html\0All files (*.*)\0*.*\0", "htm", page);
        if (page.empty()) return;
        // The dialog asked about the page; the picture beside it is asked about here.
    } while (!file_may_replace(picture_of(page), "Export HTML"));
    std::string error;
    if (!view_export_html_to(page, &error)) msg_error(error);
}

void view_export_outline() {
    std::string name = ask_name("Export Outline", "Text file (*.txt)\0*.txt\0All files (*.*)\0*.*\0", "txt");
    if (name.empty()) return;
    std::string error;
    if (!view_write_replace(name, view_outline_file_text(), &error)) msg_error(error);
}
