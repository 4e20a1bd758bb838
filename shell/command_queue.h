// One user command at a time. A long conversion lets window messages through (its progress
// reports turn the message loop), and a handler run from inside it must not start a second
// conversion whose result the first would then overwrite, nor close the window under it.
#pragma once

namespace wht {
typedef void (*CommandAction)();

// Where a command that runs out of memory says so: a conversion in the output box, which it
// was to fill anyway; a command that must leave both boxes as they were (swap, copy) in the
// status bar.
enum class PromptPlace { kOutputBox, kStatusBar };

// Runs the action now, or, while another command runs, after it: every command the user
// gives runs, whole and in the order given, so the boxes end with the last one's result.
// While it runs, the status bar shows its progress. A command that runs out of memory
// ends with a line saying so; the input box keeps its text.
void RunCommand(CommandAction action, PromptPlace prompt = PromptPlace::kOutputBox);

// A prompt in the status bar, kept there until the next command's progress replaces it.
void ShowStatusPrompt(const char* text);

// True while a command runs.
bool CommandRunning();

// A close request while a command runs: the running command stops at its next progress
// report, the waiting ones are dropped, and then the window closes.
void CloseWhenIdle();

// Window work that must not be cut short by an exception (a window procedure that the
// system called): while one lives, running out of memory is the fatal report, as outside
// any command.
class NoCommandUnwinding {
public:
    NoCommandUnwinding();
    ~NoCommandUnwinding();
    NoCommandUnwinding(const NoCommandUnwinding&) = delete;
    NoCommandUnwinding& operator=(const NoCommandUnwinding&) = delete;
};

extern const char kOutOfMemoryPrompt[];
}  // namespace wht
