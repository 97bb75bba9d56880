#include "ideas/compute_win.h"
#include "ideas/ideas_init_win.h"
#include "ideas/pert.h"
#include "view/view_cmd.h"

void ideas_init() {
    compute_init();
    // The critical path's chart is the view's command 27, one undoable step.
    view_set_chart_hook(pert_chart_level);
    pert_set_chart_hook([] { view_chart_level(); });
}
