// One user command at a time. A conversion can let window messages through (the BASE64
// decoder does), and a handler run from inside it must not start a second conversion whose
// result the first would then overwrite, nor close the window under it.
#pragma once

namespace wht {
typedef void (*CommandAction)();

// Runs the action now, or, while another command runs, after it: every command the user
// gives runs, whole and in the order given, so the boxes end with the last one's result.
void RunCommand(CommandAction action);

// True while a command runs.
bool CommandRunning();

// A close request while a command runs: the window closes once the commands are done.
void CloseWhenIdle();
}  // namespace wht
