#include "message_loop.h"

#include <windows.h>

#include <vector>

#include "call_command.h"

namespace {
struct IdleEntry {
    HWND window;
    IdleRoutine routine;  // null: removed, compacted after the pass
    uint32_t argument;
};
std::vector<IdleEntry> g_idle;
int g_idlePasses = 0;  // a routine may itself pump messages and re-enter the list

bool (*g_aliveQuery)() = nullptr;
long g_windowCount = 0;
bool (*g_idleStep)(long) = nullptr;
bool (*g_filter)(void*) = nullptr;
bool g_running = false;
int32_t g_suspension = 0;

void Compact() {
    size_t kept = 0;
    for (size_t i = 0; i < g_idle.size(); ++i)
        if (g_idle[i].routine) g_idle[kept++] = g_idle[i];
    g_idle.resize(kept);
}

void RunIdleCallbacks() {
    ++g_idlePasses;
    // Newest first; entries added during the pass wait for the next one.
    for (size_t i = g_idle.size(); i-- > 0;) {
        if (i >= g_idle.size()) continue;
        IdleEntry e = g_idle[i];
        if (!e.routine) continue;
        if (!IsWindow(e.window)) {
            g_idle[i].routine = nullptr;
            continue;
        }
        e.routine(e.argument);
    }
    if (--g_idlePasses == 0) Compact();
}

void Dispatch(MSG& msg) {
    if (g_filter && g_filter(&msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void PumpWaitingMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message != WM_QUIT) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) break;
        if (msg.message == WM_QUIT) {
            // Not the message we looked at: leave the quit for the loop that owns it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        Dispatch(msg);
    }
}
}  // namespace

namespace cmd {
LIBRARY_COMMAND(ProcessEvents) { PumpWaitingMessages(); }
}  // namespace cmd

void ProcessEvents() { CallCommand(cmd::ProcessEvents, 0, nullptr); }

void SetWindowAliveQuery(bool (*anyWindowAlive)()) { g_aliveQuery = anyWindowAlive; }
void WindowCreated() { ++g_windowCount; }
void WindowDestroyed() {
    if (g_windowCount > 0) --g_windowCount;
    if (g_running && !AnyWindowLoaded()) PostQuitMessage(0);
}
bool AnyWindowLoaded() { return g_aliveQuery ? g_aliveQuery() : g_windowCount > 0; }
bool MessageLoopRunning() { return g_running; }

void AddIdleCallback(void* window, IdleRoutine routine, uint32_t argument) {
    if (routine) g_idle.push_back({static_cast<HWND>(window), routine, argument});
}

void RemoveIdleCallback(void* window, IdleRoutine routine, uint32_t argument) {
    for (size_t i = g_idle.size(); i-- > 0;) {
        IdleEntry& e = g_idle[i];
        if (e.routine == routine && e.window == window && e.argument == argument) {
            e.routine = nullptr;
            break;
        }
    }
    if (g_idlePasses == 0) Compact();
}

void SetIdleStep(bool (*step)(long count)) { g_idleStep = step; }
void SetMessageFilter(bool (*filter)(void* msg)) { g_filter = filter; }

void RunMessageLoop() {
    bool outer = g_running;
    g_running = true;
    if (!AnyWindowLoaded()) {
        g_running = outer;
        return;
    }
    MSG msg;
    for (;;) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            RunIdleCallbacks();
            for (long count = 0; g_idleStep && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); ++count)
                if (!g_idleStep(count)) break;
        }
        bool quit = false;
        do {
            BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0 || got == -1) {
                quit = true;
                break;
            }
            Dispatch(msg);
        } while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
        if (quit) break;
    }
    g_running = outer;
}

void SuspendEventDispatch() { ++g_suspension; }
void ResumeEventDispatch() {
    if (g_suspension > 0) --g_suspension;
}
int32_t EventDispatchSuspension() { return g_suspension; }
