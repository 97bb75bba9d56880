#include "services/services_init_win.h"

#include "services/action_win.h"
#include "services/pictbrowse_win.h"
#include "services/fileinfo_win.h"
#include "services/help_win.h"
#include "services/mail_win.h"
#include "services/print_win.h"
#include "services/setup_win.h"
#include "services/web_win.h"

void services_init() {
    action_register();
    help_register();
    print_register();
    info_register();
    mail_register();
    setup_register();
    web_register();
    pict_services_register();
}
