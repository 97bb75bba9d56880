#include "shell/wiring_win.h"

void elements_init() {}

