#include "program_header.h"

#include "constant_area.h"
#include "dll_commands.h"

namespace {
LibraryRecord g_libraries[kRuntimeLibraryCount] = {
    {"core", nullptr},        {"units", nullptr},     {"automation", nullptr},
    {"super button", nullptr}, {"super menu", nullptr},
};

ProgramHeader g_header = {
    3,
    0,
    112532,
    0,
    ConstantArea,
    1844,
    nullptr,
    80733,
    kRuntimeLibraryCount,
    g_libraries,
    kDllEntryCount,
    kDllLibraryNames,
    kDllFunctionNames,
};
}  // namespace

ProgramHeader& TheProgramHeader() { return g_header; }

void SetProgramCodeBase(uintptr_t codeBase) { g_header.codeBase = codeBase; }

void SetProgramFormData(const uint8_t* data, uint32_t length) {
    g_header.formData = data;
    g_header.formDataSize = length;
}

void SetLibraryNotifyHook(int library, LibraryNotifyHook hook) {
    if (library >= 0 && library < kRuntimeLibraryCount) g_libraries[library].hook = hook;
}
