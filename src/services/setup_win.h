// SETUP, Win32 side: the program group through the program manager's DDE, the ".vrn"
// association and the uninstall entry; "/u" removes them and the program's files.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

void setup_progman_group();
void setup_file_association();
void setup_delete_group();
// True when the association's open command names this copy of the program.
bool setup_is_done();
// Start-up: when this copy is not registered, asks once and sets up on yes.
void setup_check(HWND main);
// Command line "/u" (during the main window's creation, which then fails and ends the program):
// refused while another copy runs; else asks, removes the registrations and deletes the
// program's files.
void setup_uninstall(HWND win);

// The file names (in the program directory) the program ships with; uninstall deletes these.
std::vector<std::string> setup_installed_files();

void setup_register();
