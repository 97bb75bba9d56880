// What the services subsystem offers the program at start-up.
#pragma once

void services_init();
