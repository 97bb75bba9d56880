#include "elements/link_win.h"

#include "base/commands_win.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "elements/font_win.h"
#include "elements/link_label.h"
#include "resources/ids.h"

namespace {

void cmd_font() { font_dialog(main_inst_); }

}  // namespace

void links_init() {
    cmd_register({CMD_FONT, &cmd_font});
}

std::vector<std::string> link_relation_words() {
    return link_relation_words_file(file_progdir_path("relate.l"));
}
