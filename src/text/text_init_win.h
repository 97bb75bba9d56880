// What the text subsystem offers the program at start-up.
#pragma once

void text_init();
