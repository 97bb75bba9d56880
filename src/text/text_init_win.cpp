#include "shell/wiring_win.h"

void text_init() {}

