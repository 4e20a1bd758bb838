#include "shell/command_queue.h"

#include <windows.h>

#include <deque>

#include "shell/main_window.h"
#include "ui/window_registry.h"

namespace wht {
namespace {
bool g_running = false;
bool g_closeAsked = false;
std::deque<CommandAction> g_waiting;

void PostCloseToMainWindow() {
    FormWindow* w = FindWindowById(kMainWindow);
    Unit* main = w && !w->records.empty() ? RecordObject(w->records[0]) : nullptr;
    if (main && main->hwnd) PostMessageW(main->hwnd, WM_CLOSE, 0, 0);
}
}  // namespace

void RunCommand(CommandAction action) {
    if (g_running) {
        g_waiting.push_back(action);
        return;
    }
    g_running = true;
    action();
    while (!g_waiting.empty()) {
        CommandAction next = g_waiting.front();
        g_waiting.pop_front();
        next();
    }
    g_running = false;
    if (g_closeAsked) {
        g_closeAsked = false;
        PostCloseToMainWindow();
    }
}

bool CommandRunning() { return g_running; }

void CloseWhenIdle() { g_closeAsked = true; }
}  // namespace wht
