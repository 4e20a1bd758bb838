#include "frame_test_support.h"

#include <cstdarg>
#include <cstdio>

#include "runtime/command_args.h"
#include "runtime/message_loop.h"
#include "ui/event_dispatch.h"
#include "ui/unit_properties.h"
#include "ui/wide_text.h"
#include "ui/window_loader.h"
#include "ui/window_registry.h"

namespace frame {
std::string log;
bool vetoClose12 = false, vetoClose1 = false;
int nestedWrites = 0;

void Log(const char* format, ...) {
    char entry[256];
    va_list args;
    va_start(args, format);
    vsnprintf(entry, sizeof(entry), format, args);
    va_end(args);
    if (!log.empty()) log += ' ';
    log += entry;
}

namespace {
// A plain child window with three properties of its own: 0 its text (writing it raises
// event 0, as an edit box's content does), 1 an integer, 2 a double.
class TestUnit : public Unit {
public:
    int32_t number = 0;
    double real = 0;

    bool PropertyChanged(int k, const ArgRecord& v) override {
        switch (k) {
        case 0:
            SetWindowTextGbk(hwnd, ArgText(v));
            RaiseFrameworkEvent(windowId, unitId, 0);
            return true;
        case 1:
            if (v.type != kInt) Log("kind:%08x", v.type);
            number = ArgInt(v);
            return true;
        case 2:
            if (v.type != kDouble) Log("kind:%08x", v.type);
            real = ArgDouble(v);
            return true;
        default:
            return false;
        }
    }
    bool ReadProperty(int k, ArgRecord* v) override {
        switch (k) {
        case 0: *v = {reinterpret_cast<uintptr_t>(GetWindowTextGbk(hwnd)), 0, kText}; return true;
        case 1: ResultInt(v, number); return true;
        case 2: ResultDouble(v, real); return true;
        default: return false;
        }
    }
    void OnLoaded() override { Log("l:%04x", unitId & 0xFFFF); }
    void OnShown() override { Log("s:%04x", unitId & 0xFFFF); }
};

Unit* CreateTestUnit(const UnitCreateParams& p) {
    if (p.size >= 1 && p.data[0] == 0xFF) return nullptr;
    HWND h = CreateWindowExW(0, L"FrameTestUnit", L"", WS_CHILD | p.style, p.left, p.top, p.width, p.height, p.parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(p.controlId)), GetModuleHandleW(nullptr),
                             nullptr);
    if (!h) return nullptr;
    TestUnit* u = new TestUnit;
    u->hwnd = h;
    u->windowId = p.windowId;
    u->unitId = p.unitId;
    Log("c:%04x:%d:%s", p.unitId & 0xFFFF, p.controlId, GetParent(h) == WindowOf(p.windowId) ? "w" : "?");
    // Raised while the window loads: it must reach no handler.
    RaiseFrameworkEvent(p.windowId, p.unitId, 0);
    return u;
}

void* TestQuery(int number) { return number == kUnitInterfaceCreate ? reinterpret_cast<void*>(&CreateTestUnit) : nullptr; }
}  // namespace

void UseFrameForm(const FormDataImage& image) {
    static bool installed = false;
    if (!installed) {
        InstallWindowFramework();
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"FrameTestUnit";
        RegisterClassW(&wc);
        RegisterUnitType(kTypeTestUnit, TestQuery);
        RegisterUnitType(kTypeTestBox, TestQuery);
        installed = true;
    }
    DestroyAllWindows();
    LoadFormData(image);
    while (EventDispatchSuspension() > 0) ResumeEventDispatch();
    log.clear();
    vetoClose12 = vetoClose1 = false;
    nestedWrites = 0;
}

void DestroyAllWindows() {
    for (FormWindow& w : FormWindows())
        if (IsWindowAlive(w)) DestroyWindow(WindowHandle(w));
    Pump();
}

void Pump() {
    ProcessEvents();
    DeleteRetiredUnits();
}

HWND WindowOf(uint32_t windowId) {
    FormWindow* w = FindWindowById(windowId);
    return w && IsWindowAlive(*w) ? WindowHandle(*w) : nullptr;
}

HWND UnitWindow(uint32_t windowId, uint32_t unitId) {
    FormWindow* w = FindWindowById(windowId);
    FormRecord* r = w ? FindUnitRecord(*w, unitId) : nullptr;
    Unit* u = r ? RecordObject(*r) : nullptr;
    return u ? u->hwnd : nullptr;
}

namespace {
std::string FromWide(const wchar_t* text, UINT codePage) {
    int n = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return std::string();
    std::string s(n - 1, '\0');
    WideCharToMultiByte(codePage, 0, text, -1, &s[0], n, nullptr, nullptr);
    return s;
}
}  // namespace

std::string WideToGbkString(const wchar_t* text) { return FromWide(text, 936); }

std::string WindowTextGbk(HWND hwnd) {
    wchar_t buffer[512] = L"";
    GetWindowTextW(hwnd, buffer, 512);
    return WideToGbkString(buffer);
}

std::string GbkToUtf8(const std::string& text) { return FromWide(GbkToWide(text.c_str()).c_str(), CP_UTF8); }
}  // namespace frame

using namespace frame;

void FrameOnCreated() { Log("created"); }
void FrameOnEvent3() { Log("e3"); }
void FrameOnEvent4() { Log("e4"); }

void FrameOnClose12() {
    Log("close12");
    if (vetoClose12) SetEventResult(0);
}

void FrameOnClose1() {
    Log("close1");
    if (vetoClose1) SetEventResult(0);
}

void FrameOnUnitChanged() {
    static int depth = 0;
    ++depth;
    Log("changed:%04x:%d", CurrentEventUnit() & 0xFFFF, depth);
    if (nestedWrites > 0) {
        --nestedWrites;
        WriteUnitText(kMain, kUnitA, kFirstOwnProperty, "x");
    }
    --depth;
}

void FrameOnMouse(int x, int y, int shift) { Log("mouse:%d:%d:%d:%04x", x, y, shift, CurrentEventUnit() & 0xFFFF); }

void FrameOnResult() {
    Log("result");
    SetEventResult(7);
}

void FrameOnExtended(double real, int whole) {
    Log("ext:%g:%d", real, whole);
    SetEventResult64(0x123456789LL);
}

void FrameOnMenuOpen() { Log("menu:open:%08x", CurrentEventUnit()); }
void FrameOnMenuExit() { Log("menu:exit"); }
void FrameOnMenuA() { Log("menu:a:%08x", CurrentEventUnit()); }
void FrameOnMenuB() { Log("menu:b"); }
void FrameOnMenuHelp() { Log("menu:help"); }
void FrameOnDialogCreated() { Log("dialog"); }

void FrameOnCreatedClose() {
    Log("selfclose");
    SendMessageW(WindowOf(CurrentEventWindow()), WM_CLOSE, 0, 0);
}

void FrameOnEditChanged() {
    static int depth = 0;
    ++depth;
    Log("edit:%d", depth);
    if (nestedWrites > 0) {
        --nestedWrites;
        WriteUnitText(kUnits, kEdit, kFirstOwnProperty, "再");
    }
    --depth;
}

void FrameOnEditKey(int key, int shift) { Log("key:%d", key); }
void FrameOnRadio() { Log("radio:%04x", CurrentEventUnit() & 0xFFFF); }
void FrameOnButton() { Log("button"); }
