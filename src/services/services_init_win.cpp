#include "shell/wiring_win.h"

void services_init() {}

