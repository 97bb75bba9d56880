#include "ideas/compute_win.h"
#include "shell/wiring_win.h"

void ideas_init() {
    compute_init();
}
