#include "services/services_init_win.h"

void services_init() {}

