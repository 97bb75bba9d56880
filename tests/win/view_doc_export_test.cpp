// HTML export from a real diagram window: the picture beside the page and a map whose areas sit
// on the painted objects.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/wiring_win.h"
#include "bars/sbar.h"
#include "base/globals_win.h"
#include "base/pict_win.h"
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
    std::string gif = read(std::string(dir) + "vorn_export.gif");
    ASSERT_GT(gif.size(), 6u);
    EXPECT_EQ(gif.substr(0, 4), "GIF8");
    HGLOBAL pic = pict_load(std::string(dir) + "vorn_export.gif");
    auto img = image_from_dib(pict_dib(pic));
    GlobalFree(pic);
    ASSERT_TRUE(img);
    EXPECT_NE(html.find("<title>Export test</title>"), std::string::npos);
    EXPECT_NE(html.find("src=\"vorn_export.gif\""), std::string::npos);
    EXPECT_NE(html.find("href=\"plan.txt\" title=\"Plan &lt;A&gt;\""), std::string::npos) << html;
    EXPECT_NE(html.find("nohref title=\"Idea\""), std::string::npos) << html;

    // The area of the linked object covers pixels that are not background white.
    ViewMapping m = view_mapping();
    Rc r{};
    for (const ObjBox& b : view_painted_objects())
        if (b.key == 1) r = m.to_device_rect(b.rect);
    ASSERT_EQ(img->width, m.client_w);
    ASSERT_EQ(img->height, m.client_h);
    int coloured = 0;
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, img->height); ++y)
        for (int x = std::max(r.left, 0); x < std::min(r.right, img->width); ++x) coloured += img->at(x, y) != 0xFFFFFFu;
    EXPECT_GT(coloured, 10);
    DestroyWindow(parent);
    main_inst_ = nullptr;
}
