#include "shell/shell_hooks_win.h"

ShellHooks shell_hooks_;
