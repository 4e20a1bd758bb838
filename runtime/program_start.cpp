// What every host's start-up does with the program header: its words are kept, then the
// constant area, the late-bound slots, the library hooks and the form data, in that order.
#include <string>

#include "dll_commands.h"
#include "error_report.h"
#include "memory.h"
#include "notify.h"
#include "startup.h"

namespace {
bool g_initialised = false;
const ProgramHeader* g_header = nullptr;
int32_t g_buildKind = 0, g_word1 = 0, g_word2 = 0;
FormDataLoader g_formLoader = nullptr;
bool g_pathKnown = false;
std::wstring g_directory, g_fileName;

void ReadProgramPath() {
    if (g_pathKnown) return;
    ReadExecutablePath(&g_directory, &g_fileName);
    g_pathKnown = true;
}
}  // namespace

bool BeginStartup(const ProgramHeader* header) {
    if (g_initialised) return false;
    g_initialised = true;
    const ProgramHeader& h = header ? *header : TheProgramHeader();
    g_header = &h;
    g_buildKind = h.buildKind;
    g_word1 = h.word1;
    g_word2 = h.word2 + 1;
    return true;
}

void FinishStartup() {
    const ProgramHeader& h = *g_header;
    // Without a constant block the shared empty constants keep their bounds: moving them
    // would let FreeMemory free the empty text.
    if (h.constantArea) SetConstantAreaBounds(h.constantArea, h.constantArea + h.constantAreaSize);
    SetUpDllCommands(h.dllCommandCount, h.dllLibraries, h.dllFunctions);
    NotifyLibraries(5);
    if (g_formLoader && !g_formLoader(h.formData, h.formDataSize, h.codeBase))
        RaiseFatalMessage("载入窗口模板数据段出错!");
}

bool RuntimeInitialised() { return g_initialised; }

const wchar_t* ProgramDirectory() {
    ReadProgramPath();
    return g_directory.c_str();
}

const wchar_t* ProgramFileName() {
    ReadProgramPath();
    return g_fileName.c_str();
}

int32_t ProgramBuildKind() { return g_buildKind; }
int32_t ProgramHeaderWord1() { return g_word1; }
int32_t ProgramHeaderWord2() { return g_word2; }

void SetFormDataLoader(FormDataLoader loader) { g_formLoader = loader; }

void NotifyLibraries(int32_t code) {
    if (!g_header || !g_header->libraries) return;
    int count = g_header->libraryCount;
    for (int i = 0; i < count; ++i) {
        LibraryNotifyHook hook = g_header->libraries[i].hook;
        if (!hook) continue;
        if (code == 5)
            hook(5, 1, reinterpret_cast<uintptr_t>(&RuntimeNotify), 0);
        else
            hook(code, 0, 0, 0);
    }
}
