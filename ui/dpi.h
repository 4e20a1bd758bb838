// Display scale. The form data places units in pixels of a 96-DPI display; a window lays
// itself out at the DPI of the monitor it is on, and again when it moves to another one.
#pragma once
#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

const int kDesignDpi = 96;

// The system's DPI (the primary monitor's): windows are created at it.
int SystemDpi();
// The DPI of the monitor the window is on, where the system tells it; else the system's.
int WindowDpi(HWND hwnd);

// A design length at the given DPI, rounded half away from zero.
int ScaleToDpi(int value, int dpi);
// The inverse, for lengths given at the DPI (a property written by the program).
int ScaleFromDpi(int value, int dpi);
// A design rectangle at the DPI. Its edges are scaled rather than its size, so units that
// touch or keep a gap at 96 DPI touch or keep a gap at every DPI.
RECT ScaleRectToDpi(int left, int top, int width, int height, int dpi);

// GetSystemMetricsForDpi where the system has it, else the system's own metric.
int SystemMetricForDpi(int index, int dpi);
// The window rectangle for a client rectangle at the DPI (AdjustWindowRectExForDpi where
// there is one).
void AdjustWindowRectForDpi(RECT* rc, DWORD style, bool menu, DWORD exStyle, int dpi);
