#include "elements/link_win.h"

#include "elements/font_win.h"
#include "elements/link_label.h"
#include "elements/textbox_win.h"
#include "resources/ids.h"
#include "shell/commands_win.h"
#include "shell/file.h"
#include "shell/globals_win.h"
#include "view/view_win.h"

namespace {

void cmd_font() { font_dialog(main_inst_); }

}  // namespace

void links_init() {
    cmd_register({CMD_FONT, &cmd_font});
    view_set_textbox_hook(&textbox_open);
}

std::vector<std::string> link_relation_words() {
    return link_relation_words_file(file_progdir_path("relate.l"));
}
