// What the ideas subsystem offers the program at start-up.
#pragma once

void ideas_init();
