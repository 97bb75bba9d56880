#include "bars/doc_tools.h"

#include "bars/sbar.h"
#include "bars/toolbox.h"
#include "base/palette.h"
#include "document/doc_util.h"
#include "document/view.h"
#include "elements/obj.h"

namespace {

// A code some button of the group carries; 0 is the empty cell of the object and point groups.
bool tool_exists(int group, int code) {
    if (group == kTgObject && code > 200) return code < 65536;  // an icon of the catalogue
    if (code == 0 && (group == kTgObject || group == kTgPoint)) return false;
    for (const ToolRow& r : toolbox_model().rows())
        if (r.group == group && r.code == code) return true;
    return false;
}

ViewTools tools_now() {
    const ViewTools d;
    ViewTools t;
    t.zoom = sbar_view_state().zoom;
    t.colour = tbar_current_color().index;
    t.object = toolbox_current(kTgObject).value_or(d.object);
    t.route = toolbox_current(kTgRoute).value_or(d.route);
    t.point = toolbox_current(kTgPoint).value_or(d.point);
    t.weight = toolbox_current(kTgWeight).value_or(d.weight);
    return t;
}

void tools_apply(const ViewTools& t) {
    sbar_cmd(kSbarZoom, kSbSet, t.zoom);
    tbar_set_current_color(t.colour);
    toolbox_press(kTgObject, t.object);
    toolbox_press(kTgRoute, t.route);
    toolbox_press(kTgPoint, t.point);
    toolbox_press(kTgWeight, t.weight);
}

Obj new_obj_look() {
    const ObjDefaults defaults = obj_defaults_get();
    Obj o;
    o.colour = view_new_item_colour().index;
    o.action = defaults.action;
    o.shape = toolbox_current(kTgObject).value_or(161);
    o.size = defaults.size;
    o.flags = defaults.flags;
    return o;
}

}  // namespace

void bars_install_document_hooks() {
    view_set_tools_hooks({tools_now, tools_apply, tool_exists});
    view_set_new_obj_hook(new_obj_look);
}
