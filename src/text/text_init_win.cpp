#include "text/text_init_win.h"

#include "text/finders_win.h"
#include "text/insert_win.h"
#include "text/rich_win.h"
#include "text/spellcheck_win.h"
#include "text/tw_win.h"

void text_init() {
    spell_check_init();
    tw_register();
    rich_register();
    insert_register();
    finders_register();
}
