#include "ui/window_registry.h"

#include <map>

namespace {
std::map<uint32_t, WindowRuntime> g_runtime;
std::vector<Unit*> g_retired;
int g_deleting = 0;
}  // namespace

FormWindow* FindWindowById(uint32_t windowId) {
    for (FormWindow& w : FormWindows())
        if (w.id == windowId) return &w;
    return nullptr;
}

Unit* WindowObject(const FormWindow& window) {
    if (window.records.empty()) return nullptr;
    return static_cast<Unit*>(window.records[0].ObjectSlot);
}

HWND WindowHandle(const FormWindow& window) {
    Unit* u = WindowObject(window);
    return u ? u->hwnd : nullptr;
}

bool IsWindowAlive(const FormWindow& window) {
    HWND h = WindowHandle(window);
    return h && IsWindow(h);
}

bool IsAnyWindowAlive() {
    for (const FormWindow& w : FormWindows())
        if (IsWindowAlive(w)) return true;
    return false;
}

FormWindow* FindWindowByHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    for (FormWindow& w : FormWindows())
        if (WindowHandle(w) == hwnd) return &w;
    return nullptr;
}

FormWindow* FindWindowByObject(const void* object) {
    if (!object) return nullptr;
    for (FormWindow& w : FormWindows())
        if (WindowObject(w) == object) return &w;
    return nullptr;
}

FormWindow* FindWindowByReference(uintptr_t reference) {
    if (FormWindow* w = FindWindowById(reference)) return w;
    // Only values that are a live window object or handle are taken as one; nothing is
    // dereferenced on the way.
    if (FormWindow* w = FindWindowByObject(reinterpret_cast<const void*>(reference))) return w;
    return FindWindowByHandle(reinterpret_cast<HWND>(reference));
}

FormRecord* FindUnitRecord(FormWindow& window, uint32_t unitId) {
    if (window.records.empty()) return nullptr;
    if (unitId == 0) return &window.records[0];
    return FindRecord(window.records, unitId);
}

Unit* RecordObject(const FormRecord& record) { return record.isMenu ? nullptr : static_cast<Unit*>(record.ObjectSlot); }

FormRecord* FindRecordByHandle(FormWindow& window, HWND hwnd) {
    if (!hwnd) return nullptr;
    for (FormRecord& r : window.records) {
        Unit* u = RecordObject(r);
        if (u && u->hwnd == hwnd) return &r;
    }
    return nullptr;
}

int MenuRecordCount(const FormWindow& window) {
    int first, count;
    return FirstMenuRun(window.records, &first, &count) ? count : 0;
}

FormRecord* MenuRecordAt(FormWindow& window, int k) {
    int first, count;
    if (k < 0 || !FirstMenuRun(window.records, &first, &count) || k >= count) return nullptr;
    return &window.records[first + k];
}

int MenuIndexOf(const FormWindow& window, uint32_t menuId) {
    int first, count;
    if (!FirstMenuRun(window.records, &first, &count)) return -1;
    for (int k = 0; k < count; ++k)
        if (window.records[first + k].id == menuId) return k;
    return -1;
}

UINT MenuCommandOf(const FormWindow& window, int k) {
    int first, count;
    if (k < 0 || !FirstMenuRun(window.records, &first, &count) || k >= count) return 0;
    if (window.records[first + k].CommandId) return window.records[first + k].CommandId;
    UINT counted = kFirstMenuCommand;
    for (int i = 0; i < k; ++i)
        if (!window.records[first + i].CommandId) ++counted;
    return counted;
}

FormRecord* MenuRecordOfCommand(FormWindow& window, UINT command) {
    int first, count;
    if (!FirstMenuRun(window.records, &first, &count)) return nullptr;
    UINT counted = kFirstMenuCommand;
    for (int k = 0; k < count; ++k) {
        FormRecord& r = window.records[first + k];
        if (r.CommandId ? r.CommandId == command : counted++ == command) return &r;
    }
    return nullptr;
}

WindowRuntime& RuntimeOf(const FormWindow& window) { return g_runtime[window.id]; }

void ForgetRuntime(uint32_t windowId) { g_runtime.erase(windowId); }

void RetireUnit(Unit* unit) {
    if (unit) g_retired.push_back(unit);
}

void DeleteRetiredUnits() {
    // A destructor that pumps messages must not start a second pass over the same list.
    if (g_deleting || g_retired.empty()) return;
    ++g_deleting;
    std::vector<Unit*> units;
    units.swap(g_retired);
    for (Unit* u : units) delete u;
    --g_deleting;
}
