// The command table: every command with its help and its handler, and the
// checks a command line passes before a handler runs.
#ifndef TARVIK_TOOL_COMMAND_TABLE_H
#define TARVIK_TOOL_COMMAND_TABLE_H

#include "command_line.h"
#include "terminal.h"

namespace tarvik::tool {

// Shows the help asked for, or checks the command line (reporting the first
// fault, ExitUsage) and returns what the command's handler returns.
int runInvocation(const Invocation& invocation, Terminal& terminal);

}  // namespace tarvik::tool

#endif  // TARVIK_TOOL_COMMAND_TABLE_H
