#include "shell/wiring_win.h"

void ideas_init() {}

