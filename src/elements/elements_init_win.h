// What the elements offer the program at start-up.
#pragma once

// Registers the main-menu commands of objects and links and loads what they need.
void elements_init();
