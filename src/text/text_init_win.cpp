#include "text/text_init_win.h"

void text_init() {}

