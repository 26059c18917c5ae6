#include "shell_commands.h"

namespace {
ShellCommands* g_commands = nullptr;
}

void setShellCommands(ShellCommands* commands) { g_commands = commands; }
ShellCommands* shellCommands() { return g_commands; }
