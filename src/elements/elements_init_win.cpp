#include "elements/elements_init_win.h"

#include "elements/bg_dialog_win.h"
#include "elements/elements_dlg_win.h"
#include "elements/link_win.h"
#include "elements/obj_win.h"
#include "elements/shape_win.h"
#include "elements/slideshow_win.h"

void elements_init() {
    obj_win_install();
    links_init();
    elements_dialogs_init();
    shapes_init();
    bg_dialog_init();
    slideshow_init();
}
