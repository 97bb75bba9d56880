#include "services/services_init_win.h"

#include "services/action_win.h"
#include "services/pictbrowse_win.h"
#include "services/help_win.h"

void services_init() {
    action_register();
    help_register();
    pict_services_register();
}
