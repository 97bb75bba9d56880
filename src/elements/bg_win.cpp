#include "elements/bg_win.h"

#include <windows.h>

#include "base/globals_win.h"
#include "base/palette.h"
#include "elements/bg.h"
#include "elements/icon_win.h"
#include "elements/obj_win.h"

namespace {

constexpr int kPrintDialog = 10380;
constexpr int kPrintWhite = 10382;
// Small pictures are tiled as blocks this large, so a repaint costs a few dozen drawing calls
// whatever the picture's size.
constexpr int kBlockSide = 256;

// The block tiled for the last picture or icon.
struct Block {
    std::shared_ptr<const Dib> source, block;
};
Block block_;

std::shared_ptr<const Dib> block_of(const std::shared_ptr<const Dib>& source) {
    if (source != block_.source) block_ = {source, bg_tile_block(source, kBlockSide)};
    return block_.block;
}

}  // namespace

void bg_paint_doc(Canvas& c, const Document& d, const Rc& client_dp) {
    BgFillInput in;
    in.fill = d.shown_param(7);
    in.back = tbar_color_or(d.shown_param(1), 0);
    in.blend = tbar_color_or(d.shown_param(3), 0);
    in.client = client_dp;
    // While the Print dialog is open the page shows its plain colour (white when asked).
    if (HWND print = dlg_find_modeless(kPrintDialog)) {
        in.fill = kBgPlain;
        if (IsDlgButtonChecked(print, kPrintWhite) == BST_CHECKED) in.back = 0xFFFFFF;
    } else if (in.fill == kBgIcon) {
        // No icon chosen yet (the browser was cancelled): the fallback picture, without a report.
        int icon = d.shown_param(210);
        in.tile = block_of(icon > 0 ? icon_bitmap(icon) : icon_resource_dib(kIconFallbackBitmap));
    } else if (in.fill == kBgPicture) {
        std::string name = d.shown_text_param(23);
        if (!name.empty()) in.tile = block_of(obj_picture_bitmap(0, name));
    }
    bg_paint(c, in);
}

void bg_paint_level(Canvas& c, const Document& d, int level) {
    int code = d.shown_param(10000 + level);
    if (code != kBgNone) bg_paint_pattern(c, code, tbar_color_or(d.shown_param(5), 0));
}
