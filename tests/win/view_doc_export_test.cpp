// HTML export from a real diagram window: the picture beside the page and a map whose areas sit
// on the painted objects.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/wiring_win.h"
#include "bars/sbar.h"
#include "base/globals_win.h"
#include "document/export.h"
#include "document/globals.h"
#include "document/view.h"
#include "view/view_win.h"

namespace {

LRESULT CALLBACK parent_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

std::string read(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

TEST(ViewDocExport, PageMapsTheObjectsOfThePicture) {
    view_doc() = Document();
    view_doc().set_param(1, 15);
    view_undo_clear();
    marked_obj_.clear();
    sbar_set_origin(1, 0, 0);
    sbar_cmd(kSbarZoom, kSbSet, 100);
    WNDCLASSA wc{};
    wc.lpfnWndProc = parent_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "viewdocexportparent";
    RegisterClassA(&wc);
    HWND parent = CreateWindowA(wc.lpszClassName, "export", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 640, 480,
                                nullptr, nullptr, wc.hInstance, nullptr);
    main_inst_ = parent;
    HWND view = view_create_window(parent);
    ShowWindow(parent, SW_SHOWNOACTIVATE);

    Obj o;
    o.level = 1;
    o.shape = 161;
    o.size = 15;
    o.colour = 4;
    o.id = "Plan <A>";
    o.action = 39;
    o.ext = "plan.txt";
    view_obj_put(o);
    o.id = "Idea";
    o.action = 0;
    o.ext = "";
    o.x = -300;
    o.y = 150;
    view_obj_put(o);
    view_text_param_set(22, "Export test");
    InvalidateRect(view, nullptr, FALSE);
    UpdateWindow(view);

    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string page = std::string(dir) + "vorn_export.htm";
    std::string err;
    ASSERT_TRUE(view_export_html_to(page, &err)) << err;
    std::string html = read(page);
    std::string bmp = read(std::string(dir) + "vorn_export.bmp");
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_NE(html.find("<title>Export test</title>"), std::string::npos);
    EXPECT_NE(html.find("src=\"vorn_export.bmp\""), std::string::npos);
    EXPECT_NE(html.find("href=\"plan.txt\" title=\"Plan &lt;A&gt;\""), std::string::npos) << html;
    EXPECT_NE(html.find("nohref title=\"Idea\""), std::string::npos) << html;

    // The area of the linked object covers pixels that are not background white.
    ViewMapping m = view_mapping();
    Rc r{};
    for (const ObjBox& b : view_painted_objects())
        if (b.key == 1) r = m.to_device_rect(b.rect);
    const int w = m.client_w, h = m.client_h, stride = (w * 3 + 3) & ~3;
    int coloured = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            size_t at = 54 + static_cast<size_t>(h - 1 - y) * stride + static_cast<size_t>(x) * 3;
            if (at + 2 < bmp.size() && (bmp[at] != '\xff' || bmp[at + 1] != '\xff' || bmp[at + 2] != '\xff')) ++coloured;
        }
    EXPECT_GT(coloured, 10);
    DestroyWindow(parent);
    main_inst_ = nullptr;
}
