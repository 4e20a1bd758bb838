// The keyboard in the program's windows: the dialog manager where it serves, the program's
// own handling where it fights the edit boxes (Tab, Esc, Ctrl+A, Enter on a button).
#pragma once
#include <windows.h>

#include <vector>

// The message loop's filter for key messages bound for a window of the framework: true
// when the message was handled and must not be dispatched.
bool HandleWindowKey(MSG* message);

// The visible, enabled tab stops under a top-level window in screen order: rows from top
// to bottom, left to right within a row. This is the order Tab walks.
std::vector<HWND> TabOrderOf(HWND root);

// Gives a control the focus as keyboard navigation does: an edit box gets its text
// selected, an automatic radio box does not check itself (which would run its action).
void FocusByKeyboard(HWND control);
// True while FocusByKeyboard gives this control the focus: a click it reports then is none.
bool TakingFocusQuietly(HWND control);

// Focus marks are hidden until the keyboard is used in the window.
void HideKeyboardCues(HWND root);
void ShowKeyboardCues(HWND root);
bool KeyboardCuesShown(HWND control);
