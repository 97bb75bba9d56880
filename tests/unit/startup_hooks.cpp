// The hooks the program installs between its floors at start-up, installed once for every test.
#include "bars/doc_tools.h"
#include "ideas/pert.h"
#include "view/view_cmd.h"

namespace {

const bool installed = [] {
    bars_install_document_hooks();
    view_set_chart_hook(pert_chart_level);
    return true;
}();

}  // namespace
