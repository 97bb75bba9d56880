#include "base/shell_hooks_win.h"

ShellHooks shell_hooks_;
