// Object actions: the one executor of action codes, for activated objects and followed fields,
// and the training cards of the help.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/key.h"

// Carries out action `code` of object `key` (0 for a file window's field) with extension `ext`;
// false when the code has no behaviour or a step failed.
bool action_do(int code, Key key, const std::string& ext);
// The same for the program's own request (Help > Open Vorn Web): never asked about as a web
// document's action would be.
bool action_do_trusted(int code, const std::string& ext);
// WM_TCARD with HELP_TCARD_DATA: 101-116 open a sample document, 200-299 run a main-menu command.
void action_tcard_open(int number);
// Shows a just-opened document: level `level` centred on (0, 0) when `target` is empty or " ",
// else the object whose id follows the blank.
bool action_goto_rule(const std::string& target, int level);

// What the actions ask of the platform; tests replace it.
struct ActionPlatform {
    // Starts a command line and waits for it to end while windows keep painting; false when
    // it could not start.
    bool (*run_program)(const std::string& command_line) = nullptr;
    // ShellExecute "open": the shell's result (0-32 an error).
    int (*shell_open)(const std::string& file) = nullptr;
    void (*play_sound)(const std::string& name) = nullptr;
    // DDE client: connect, execute or request (reply text), disconnect; false when a step
    // failed (the step's error is already reported).
    bool (*dde_execute)(const std::string& service, const std::string& topic, const std::string& command,
                        const std::string& connect_error) = nullptr;
    bool (*dde_request)(const std::string& service, const std::string& topic, const std::string& item,
                        std::string* reply) = nullptr;
    // Help file at a keyword (HELP_KEY) or its contents (keyword empty).
    void (*help_file)(const std::string& file, const std::string& keyword) = nullptr;
    // The list-selection dialog: the chosen line's index, -1 on Cancel.
    int (*select_line)(const std::string& title, const std::vector<std::string>& lines) = nullptr;
};
ActionPlatform& action_platform();

void action_register();
