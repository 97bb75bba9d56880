#include "bars/help_context.h"
#include "bars/sbar.h"
#include "base/shell_hooks_win.h"
#include "elements/point.h"
#include "elements/point_win.h"
#include "ideas/analyze_win.h"
#include "ideas/clist_win.h"
#include "ideas/compute_win.h"
#include "ideas/eval.h"
#include "ideas/gen_win.h"
#include "ideas/hint_win.h"
#include "ideas/ideas_init_win.h"
#include "ideas/pert.h"
#include "ideas/quest_win.h"
#include "ideas/randwords_win.h"
#include "view/view_cmd.h"

void ideas_init() {
    compute_init();
    clist_init();
    shell_hooks_.clist_open_file = [](const std::string& file) {
        clist_open_file(file);
        return true;
    };
    quest_init();
    analyze_init();
    rwords_init();
    hint_init();
    gen_init();
    // The view's command 27 draws the critical path's time scale.
    view_set_chart_hook(pert_chart_level);
    // Plot Points evaluates its two formulas here, with J read from the plot's index.
    point_set_calc({[](const std::string& text, Key key) -> std::optional<double> {
                        // Each J is worked out afresh; one that raised an error has no value.
                        eval_calc().resume();
                        auto r = eval_expression(text, key);
                        if (!r || !r->ok || eval_calc().suspended()) return std::nullopt;
                        return r->value;
                    },
                    [](bool open) { open ? eval_calc().begin_batch() : eval_calc().end_batch(); }});
    eval_set_current_j(point_current_j);
    point_set_hooks({[] { return sbar_view_state().level; }, help_context});
}
