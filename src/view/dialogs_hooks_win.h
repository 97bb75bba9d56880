// Gives the object and link dialogs the view's Ctrl+click and the bars' services they use.
#pragma once

void view_install_element_dialogs();
