#include "shell/command_queue.h"

#include <windows.h>

#include <deque>
#include <new>

#include "engine/progress.h"
#include "engine/service_failure.h"
#include "runtime/memory.h"
#include "runtime/message_loop.h"
#include "shell/main_window.h"
#include "shell/unit_access.h"
#include "ui/window_registry.h"

namespace wht {
const char kOutOfMemoryPrompt[] =
    "提示：内存不够，这项转换没能做完。输入框的内容没有改动；请分成小段再转。";

namespace {
// Under 50 ms between two turns of the message loop even with the timer's 16 ms steps.
const DWORD kTurnInterval = 30;

struct CommandStopped {};
struct CommandOutOfMemory {};

bool g_running = false;
bool g_closeAsked = false;
int g_noUnwinding = 0;
struct Command {
    CommandAction action;
    PromptPlace prompt;
};
std::deque<Command> g_waiting;
DWORD g_lastTurn = 0;
int32_t g_shownPercent = -1;  // -1: the status bar shows no progress
bool g_promptShown = false;    // the status bar shows an earlier command's prompt

void PostCloseToMainWindow() {
    FormWindow* w = FindWindowById(kMainWindow);
    Unit* main = w && !w->records.empty() ? RecordObject(w->records[0]) : nullptr;
    if (main && main->hwnd) PostMessageW(main->hwnd, WM_CLOSE, 0, 0);
}

void ShowProgress(int32_t percent) {
    if (percent == g_shownPercent) return;
    g_shownPercent = percent;
    char line[48];
    wsprintfA(line, "正在转换… %d%%", static_cast<int>(percent));
    WriteText(k状态条1, kPropStatusText, line);
}

void ShowPrompt(const Command& c, const char* text) {
    if (c.prompt == PromptPlace::kOutputBox)
        WriteOutput(text);
    else
        ShowStatusPrompt(text);
}

void ClearProgress() {
    if (g_shownPercent < 0) return;
    g_shownPercent = -1;
    WriteText(k状态条1, kPropStatusText, "");
}

// Shows how far the command is and lets the window's messages through, at most once per
// interval; stops the command when the window is to close.
void OnProgress(int32_t percent) {
    DWORD now = GetTickCount();
    if (now - g_lastTurn < kTurnInterval) return;
    g_lastTurn = now;
    {
        NoCommandUnwinding inWindowWork;
        ShowProgress(percent);
        ProcessEvents();
    }
    if (g_closeAsked) throw CommandStopped();
}

void OnAllocationFailure(int64_t) {
    if (g_running && g_noUnwinding == 0) throw CommandOutOfMemory();
}

void RunOne(const Command& c) {
    g_lastTurn = GetTickCount();
    TakeServiceFailure();
    try {
        c.action();
        // A system service failed under the conversion: what it showed is no result.
        if (const char* service = TakeServiceFailure()) {
            char prompt[256];
            wsprintfA(prompt, "提示：%s出错，这项转换没能做完。输入框的内容没有改动。", service);
            ShowPrompt(c, prompt);
        }
    } catch (const CommandOutOfMemory&) {
        ShowPrompt(c, kOutOfMemoryPrompt);
    } catch (const std::bad_alloc&) {
        ShowPrompt(c, kOutOfMemoryPrompt);
    }
}
}  // namespace

NoCommandUnwinding::NoCommandUnwinding() { ++g_noUnwinding; }
NoCommandUnwinding::~NoCommandUnwinding() { --g_noUnwinding; }

void ShowStatusPrompt(const char* text) {
    WriteText(k状态条1, kPropStatusText, text);
    g_shownPercent = -1;  // not progress: the end of the command leaves it
    g_promptShown = true;
}

void RunCommand(CommandAction action, PromptPlace prompt) {
    if (g_running) {
        g_waiting.push_back({action, prompt});
        return;
    }
    g_running = true;
    if (g_promptShown) {
        g_promptShown = false;
        WriteText(k状态条1, kPropStatusText, "");
    }
    SetProgressListener(OnProgress);
    SetAllocationFailureHandler(OnAllocationFailure);
    try {
        RunOne({action, prompt});
        // A close asked for while the command ran drops the rest at once, also when the
        // command ended without another progress turn to notice it (a modal window).
        while (!g_waiting.empty() && !g_closeAsked) {
            Command next = g_waiting.front();
            g_waiting.pop_front();
            RunOne(next);
        }
    } catch (const CommandStopped&) {
    }
    g_waiting.clear();
    SetAllocationFailureHandler(nullptr);
    SetProgressListener(nullptr);
    g_running = false;
    ClearProgress();
    if (g_closeAsked) {
        g_closeAsked = false;
        PostCloseToMainWindow();
    }
}

bool CommandRunning() { return g_running; }

void CloseWhenIdle() { g_closeAsked = true; }
}  // namespace wht
