#include "ui/unit_properties.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "runtime/command_args.h"
#include "runtime/error_report.h"
#include "runtime/memory.h"
#include "runtime/runtime_services.h"
#include "ui/dpi.h"
#include "ui/window_loader.h"
#include "ui/window_registry.h"

namespace {
const uint32_t kExtraNone = 0xFFFFFFFF;

[[noreturn]] void Fail(const char* message, uint32_t windowId, uint32_t unitId) {
    ReportRuntimeError(0, message, static_cast<int32_t>(windowId), static_cast<int32_t>(unitId));
}

FormWindow& LoadedWindow(uint32_t windowId, uint32_t unitId) {
    FormWindow* w = FindWindowById(windowId);
    if (!w || !IsWindowAlive(*w)) Fail("未载入欲访问窗口组件所在的窗口", windowId, unitId);
    return *w;
}

uint64_t FreshText(const std::string& s) {
    if (s.empty()) return 0;
    char* t = NewTextBlock(static_cast<int32_t>(s.size()));
    memcpy(t, s.data(), s.size());
    return reinterpret_cast<uintptr_t>(t);
}

uint64_t FreshBytes(const Blob& b) {
    if (b.empty()) return 0;
    uint8_t* block = NewByteSetBlock(static_cast<int32_t>(b.size()));
    memcpy(ByteSetBytes(block), b.data(), b.size());
    return reinterpret_cast<uintptr_t>(block);
}

std::string BorrowedText(uintptr_t low) { return low ? std::string(reinterpret_cast<const char*>(low)) : std::string(); }

Blob BorrowedBytes(uintptr_t low) {
    const uint8_t* block = reinterpret_cast<const uint8_t*>(low);
    int32_t n = ByteSetBlockLength(block);
    if (n <= 0) return Blob();
    return Blob(ByteSetBytes(block), ByteSetBytes(block) + n);
}

bool IsLive(const Unit* u) { return u && u->hwnd && IsWindow(u->hwnd); }

// A unit object that is there: a live window, or a unit that has no window of its own.
bool Exists(const Unit* u) { return u && (!u->hwnd || IsWindow(u->hwnd)); }

void SetFlag(uint32_t* flags, uint32_t bit, bool on) { *flags = on ? (*flags | bit) : (*flags & ~bit); }

bool IsEightByteKind(TypeCode kind) {
    TypeCode k = KindOf(kind);
    return k == kDouble || k == kLong || k == kDateTime;
}

// The live rectangle in the coordinates the unit is placed in: the screen for the window,
// the parent's client area for a unit.
RECT PlacedRect(const FormRecord& r, bool isWindow) {
    Unit* u = RecordObject(r);
    RECT rc;
    if (!IsLive(u)) {
        SetRect(&rc, r.Left, r.Top, r.Left + r.Width, r.Top + r.Height);
        return rc;
    }
    GetWindowRect(u->hwnd, &rc);
    if (!isWindow) {
        HWND parent = GetParent(u->hwnd);
        if (parent) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rc), 2);
    }
    return rc;
}

uint64_t ReadMenuProperty(const FormRecord& r, int32_t n) {
    switch (n) {
    case kMenuPropertyCaption: return FreshText(r.Caption);
    case kMenuPropertyChecked: return (r.MenuFlags & kMenuChecked) ? 1 : 0;
    case kMenuPropertyDisabled: return (r.MenuFlags & kMenuDisabled) ? 1 : 0;
    case kMenuPropertyVisible: return (r.MenuFlags & kMenuHidden) ? 0 : 1;
    default: return 0;
    }
}

void WriteMenuProperty(FormWindow& w, FormRecord& r, int32_t n, uintptr_t low) {
    switch (n) {
    case kMenuPropertyCaption: {
        std::string caption = BorrowedText(low);
        if (caption == r.Caption) return;
        r.Caption = caption;
        break;
    }
    case kMenuPropertyChecked: SetFlag(&r.MenuFlags, kMenuChecked, low != 0); break;
    case kMenuPropertyDisabled: SetFlag(&r.MenuFlags, kMenuDisabled, low != 0); break;
    case kMenuPropertyVisible: SetFlag(&r.MenuFlags, kMenuHidden, low == 0); break;
    default: return;
    }
    RebuildMenuBar(w);
}

void MoveUnit(FormRecord& r, bool isWindow, int32_t n, int32_t v) {
    RECT rc = PlacedRect(r, isWindow);
    int x = rc.left, y = rc.top, cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    switch (n) {
    case kPropertyLeft: x = v; break;
    case kPropertyTop: y = v; break;
    case kPropertyWidth: cx = v; break;
    default: cy = v; break;
    }
    Unit* u = RecordObject(r);
    // A unit's record keeps its place on a 96-DPI display, so that a later change of DPI
    // scales it from there; the window's own place is on the screen.
    const int dpi = !isWindow && IsLive(u) ? u->dpi : kDesignDpi;
    r.Left = ScaleFromDpi(x, dpi);
    r.Top = ScaleFromDpi(y, dpi);
    r.Width = ScaleFromDpi(cx, dpi);
    r.Height = ScaleFromDpi(cy, dpi);
    if (IsLive(u)) SetWindowPos(u->hwnd, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

uint64_t ServiceRead(uint32_t windowId, uint32_t unitId, int32_t property) {
    return RuntimeServices().ReadUnitProperty(windowId, unitId, property, kExtraNone);
}

void ServiceWrite(uint32_t windowId, uint32_t unitId, int32_t property, uintptr_t low, uint32_t high) {
    RuntimeServices().WriteUnitProperty(windowId, unitId, property, kExtraNone, low, high);
}
}  // namespace

uint64_t ReadUnitProperty(uint32_t windowId, uint32_t unitId, int32_t n, uint32_t extra) {
    FormWindow& w = LoadedWindow(windowId, unitId);
    FormRecord* r = FindUnitRecord(w, unitId);
    if (r && r->isMenu) return ReadMenuProperty(*r, n);
    if (!r) Fail("读取组件属性时发现指定窗口尚未载入", windowId, unitId);
    bool isWindow = r == &w.records[0];
    Unit* u = RecordObject(*r);
    if (n >= kFirstOwnProperty) {
        if (!Exists(u)) Fail("读取组件属性时发现指定窗口尚未载入", windowId, unitId);
        ArgRecord v = {0, 0, kNoValue};
        if (!u->ReadProperty(n - kFirstOwnProperty, &v)) return 0;
        return static_cast<uint64_t>(v.value) | (IsEightByteKind(v.type) ? static_cast<uint64_t>(v.extra) << 32 : 0);
    }
    RECT rc;
    switch (n) {
    case kPropertyLeft:
        return static_cast<uint32_t>(PlacedRect(*r, isWindow).left);
    case kPropertyTop:
        return static_cast<uint32_t>(PlacedRect(*r, isWindow).top);
    case kPropertyWidth:
        rc = PlacedRect(*r, isWindow);
        return static_cast<uint32_t>(rc.right - rc.left);
    case kPropertyHeight:
        rc = PlacedRect(*r, isWindow);
        return static_cast<uint32_t>(rc.bottom - rc.top);
    case kPropertyTag:
        return FreshText(r->Tag);
    case kPropertyVisible:
        return IsLive(u) ? (IsWindowVisible(u->hwnd) ? 1 : 0) : ((r->UnitFlags & kUnitVisible) ? 1 : 0);
    case kPropertyDisabled:
        return IsLive(u) ? (IsWindowEnabled(u->hwnd) ? 0 : 1) : ((r->UnitFlags & kUnitDisabled) ? 1 : 0);
    case kPropertyMousePointer:
        return FreshBytes(r->MouseCursor);
    default:
        return 0;
    }
}

void WriteUnitProperty(uint32_t windowId, uint32_t unitId, int32_t n, uint32_t extra, uintptr_t low, uint32_t high) {
    FormWindow& w = LoadedWindow(windowId, unitId);
    FormRecord* r = FindUnitRecord(w, unitId);
    if (r && r->isMenu) {
        WriteMenuProperty(w, *r, n, low);
        return;
    }
    if (!r) Fail("修改组件属性时发现指定窗口尚未载入", windowId, unitId);
    bool isWindow = r == &w.records[0];
    Unit* u = RecordObject(*r);
    if (n >= kFirstOwnProperty) {
        if (!Exists(u)) Fail("修改组件属性时发现指定窗口尚未载入", windowId, unitId);
        // The service carries no kind: the property's declared kind is the kind its
        // current value is read in.
        ArgRecord current = {0, 0, kNoValue};
        TypeCode kind = kInt;
        if (u->PropertyKind(n - kFirstOwnProperty, &kind)) {
            // Known without reading the current value.
        } else if (u->ReadProperty(n - kFirstOwnProperty, &current)) {
            kind = current.type;
            TypeCode k = KindOf(kind);
            if (k == kText || k == kByteSet) FreeMemory(reinterpret_cast<void*>(current.value));
        }
        ArgRecord value = {low, IsEightByteKind(kind) ? high : 0, kind};
        u->PropertyChanged(n - kFirstOwnProperty, value);
        return;
    }
    switch (n) {
    case kPropertyLeft: case kPropertyTop: case kPropertyWidth: case kPropertyHeight:
        MoveUnit(*r, isWindow, n, static_cast<int32_t>(low));
        break;
    case kPropertyTag:
        r->Tag = BorrowedText(low);
        break;
    case kPropertyVisible:
        SetFlag(&r->UnitFlags, kUnitVisible, low != 0);
        if (IsLive(u)) ShowWindow(u->hwnd, low ? (isWindow ? SW_SHOW : SW_SHOWNA) : SW_HIDE);
        break;
    case kPropertyDisabled:
        SetFlag(&r->UnitFlags, kUnitDisabled, low != 0);
        if (IsLive(u)) EnableWindow(u->hwnd, low ? FALSE : TRUE);
        break;
    case kPropertyMousePointer:
        r->MouseCursor = BorrowedBytes(low);
        if (r->CursorSlot) DestroyCursor(static_cast<HCURSOR>(r->CursorSlot));
        r->CursorSlot = CreateUnitCursor(r->MouseCursor.data(), static_cast<uint32_t>(r->MouseCursor.size()));
        break;
    default:
        break;
    }
}

void InstallUnitPropertyAccess() { SetUnitPropertyAccess(ReadUnitProperty, WriteUnitProperty); }

TextVar ReadUnitText(uint32_t windowId, uint32_t unitId, int32_t property) {
    return TextVar(reinterpret_cast<Text>(static_cast<uintptr_t>(ServiceRead(windowId, unitId, property))));
}

int32_t ReadUnitInt(uint32_t windowId, uint32_t unitId, int32_t property) {
    return static_cast<int32_t>(ServiceRead(windowId, unitId, property));
}

bool ReadUnitBool(uint32_t windowId, uint32_t unitId, int32_t property) {
    return static_cast<uint32_t>(ServiceRead(windowId, unitId, property)) != 0;
}

void WriteUnitText(uint32_t windowId, uint32_t unitId, int32_t property, const char* text) {
    ServiceWrite(windowId, unitId, property, reinterpret_cast<uintptr_t>(text && *text ? text : nullptr), 0);
}

void WriteUnitInt(uint32_t windowId, uint32_t unitId, int32_t property, int32_t value) {
    ServiceWrite(windowId, unitId, property, static_cast<uint32_t>(value), 0);
}

void WriteUnitBool(uint32_t windowId, uint32_t unitId, int32_t property, bool value) {
    ServiceWrite(windowId, unitId, property, value ? 1u : 0u, 0);
}
