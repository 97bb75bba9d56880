#include "text/text_init_win.h"

#include "base/shell_hooks_win.h"
#include "text/fieldedit_win.h"
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
    shell_hooks_.text_editor = [](HWND parent, const LOGFONTA& font, bool wrap) {
        FieldEditCreate c;
        c.parent = parent;
        c.rect = {0, 0, 10, 10};
        c.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
        c.font = font;
        c.wrap = wrap;
        c.text_is_content = true;
        return fe_create(c);
    };
}
