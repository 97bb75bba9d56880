// The help viewer: contents, index, search, back and forward over the topic file beside the
// program, and the pop-up help of dialog controls.
#pragma once

#include <windows.h>

#include <string>

#include "services/help.h"

// Registers the help entries of the shell, the bars and the object actions.
void help_register();

// Opens the viewer at the topic for context number n (0: the contents).
void help_show(int n);
// The first topic with that keyword, else the index starting with it.
void help_keyword_main(const std::string& key);
// The control help with that keyword as a pop-up, else the viewer's index.
void help_keyword_sub(const std::string& key);
// WM_HELP: a control's pop-up text, else the topic of its window, else the contents.
void help_on_wm_help(const HELPINFO* info);
// Help menu commands; false for ids it does not know.
bool help_menu_action(int id);

// For tests: the viewer and pop-up windows (null when closed), and the topic shown.
HWND help_viewer_window();
HWND help_popup_window();
int help_current_topic();
const HelpBook& help_book();
