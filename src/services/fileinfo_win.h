// INFO, Win32 side: File > Information, the modal "File Information" dialog.
#pragma once

#include <windows.h>

#include <string>

// Opens the dialog on the current document (nothing without one).
void info_dialog();

struct InfoValues {
    std::string title;
    std::string goal_line;
};
// OK: the title (text setting 22, and the main title) and the goal object (setting 343).
void info_apply(const InfoValues& v);

void info_register();
