// The message loop, ProcessEvents, and the event-dispatch suspension count.
#pragma once
#include <cstdint>

#include "commands.h"

namespace cmd {
// No arguments, no result: lets waiting window messages run, stopping before the quit message.
LIBRARY_COMMAND(ProcessEvents);
}  // namespace cmd

// Program code's way to call cmd::ProcessEvents (through CallCommand). Event handlers may run
// from inside it.
void ProcessEvents();

// Runs until the quit message; returns at once when no window is loaded.
void RunMessageLoop();
bool MessageLoopRunning();

// The window framework tells the loop about its windows. With a query installed, the query is
// the truth ("is any window of the registry loaded and alive?"); without one, the loop counts
// WindowCreated and WindowDestroyed calls. Call WindowDestroyed once the destroyed window no
// longer counts as alive: when none is left and the loop runs, the loop is told to quit.
void SetWindowAliveQuery(bool (*anyWindowAlive)());
void WindowCreated();
void WindowDestroyed();
bool AnyWindowLoaded();

// Idle work: while no message waits, each listed (window, routine, argument) runs, newest first,
// as long as its window exists; a triple whose window is gone is dropped.
typedef void (*IdleRoutine)(uint32_t argument);
void AddIdleCallback(void* window, IdleRoutine routine, uint32_t argument);
void RemoveIdleCallback(void* window, IdleRoutine routine, uint32_t argument);
// The pump's own idle step, called with a rising count (0, 1, ...) until it returns false.
void SetIdleStep(bool (*step)(long count));

// Sees each message before it is translated and dispatched (accelerators, dialog keys);
// returning true means the message was handled and is not dispatched.
void SetMessageFilter(bool (*filter)(void* msg));

// Event dispatch is suspended while the count is 1 or more (window loading, the error report).
void SuspendEventDispatch();
void ResumeEventDispatch();  // never below 0
int32_t EventDispatchSuspension();
