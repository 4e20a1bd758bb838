// Memory files: growable byte buffers with a position, known to the runtime through its
// table of open files.
#include <cstdint>
#include <cstring>

#include "command_args.h"
#include "commands_convert.h"
#include "commands_file.h"
#include "memory.h"
#include "notify.h"

namespace {
const uint8_t kMemoryFileKind = 2;
const int32_t kGrowStep = 1024;

struct MemoryFile {
    uint8_t* bytes;
    int32_t length;
    int32_t capacity;
    int32_t position;
};

// The open-file table: file objects with their kind byte.
struct OpenFile {
    void* object;
    uint8_t kind;
};
OpenFile* g_files = nullptr;
int32_t g_fileCount = 0, g_fileCapacity = 0;

int32_t IndexOfFile(void* object) {
    for (int32_t i = 0; i < g_fileCount; ++i)
        if (g_files[i].object == object) return i;
    return -1;
}

void DestroyFile(void* object) {
    MemoryFile* f = static_cast<MemoryFile*>(object);
    FreeMemory(f->bytes);
    FreeMemory(f);
}

intptr_t FindFileNotify(int32_t, uintptr_t object, uintptr_t) {
    int32_t i = IndexOfFile(reinterpret_cast<void*>(object));
    return i < 0 ? -1 : g_files[i].kind;
}

intptr_t AddFileNotify(int32_t, uintptr_t object, uintptr_t kind) {
    if (g_fileCount == g_fileCapacity) {
        g_fileCapacity = g_fileCapacity ? g_fileCapacity * 2 : 8;
        g_files = static_cast<OpenFile*>(ReallocMemory(g_files, g_fileCapacity * sizeof(OpenFile)));
    }
    g_files[g_fileCount++] = {reinterpret_cast<void*>(object), static_cast<uint8_t>(kind)};
    return 0;
}

intptr_t RemoveFileNotify(int32_t, uintptr_t object, uintptr_t) {
    int32_t i = IndexOfFile(reinterpret_cast<void*>(object));
    if (i < 0) return 0;
    g_files[i] = g_files[--g_fileCount];
    return 1;
}

intptr_t CloseAllNotify(int32_t, uintptr_t, uintptr_t) {
    while (g_fileCount > 0) {
        void* object = g_files[g_fileCount - 1].object;
        --g_fileCount;
        DestroyFile(object);
    }
    return 0;
}

struct FileTableRegistrar {
    FileTableRegistrar() {
        RegisterNotifyHandler(kNotifyFindFile, FindFileNotify);
        RegisterNotifyHandler(kNotifyAddFile, AddFileNotify);
        RegisterNotifyHandler(kNotifyRemoveFile, RemoveFileNotify);
        RegisterNotifyHandler(kNotifyCloseAllFiles, CloseAllNotify);
    }
} g_registrar;

// The memory file behind a file-number argument, or null when it is not open.
MemoryFile* OpenMemory(const ArgRecord* args, int count) {
    if (count < 1) return nullptr;
    // File numbers are addresses: an integer argument is read as the whole word.
    uintptr_t object = KindOf(args[0].type) == kInt ? args[0].value : static_cast<uintptr_t>(ArgInt(args[0]));
    if (RuntimeNotify(kNotifyFindFile, object, 0) != kMemoryFileKind) return nullptr;
    return reinterpret_cast<MemoryFile*>(object);
}

bool WriteBytes(MemoryFile* f, const uint8_t* bytes, int32_t n) {
    if (n <= 0) return true;
    if (n > INT32_MAX - f->position) return false;
    int32_t end = f->position + n;
    if (end > f->capacity) {
        int64_t grown = (static_cast<int64_t>(end) + kGrowStep - 1) / kGrowStep * kGrowStep;
        if (grown > INT32_MAX) return false;
        void* p = TryAllocMemory(static_cast<int32_t>(grown));
        if (!p) return false;
        if (f->length > 0) memcpy(p, f->bytes, f->length);
        FreeMemory(f->bytes);
        f->bytes = static_cast<uint8_t*>(p);
        f->capacity = static_cast<int32_t>(grown);
    }
    memcpy(f->bytes + f->position, bytes, n);
    f->position = end;
    if (end > f->length) f->length = end;
    return true;
}
}  // namespace

namespace cmd {

LIBRARY_COMMAND(OpenMemoryFile) {
    MemoryFile* f = static_cast<MemoryFile*>(AllocMemory(sizeof(MemoryFile)));
    *f = {nullptr, 0, 0, 0};
    RuntimeNotify(kNotifyAddFile, reinterpret_cast<uintptr_t>(f), kMemoryFileKind);
    // The file number is the object's address: a pointer-sized word.
    *result = {reinterpret_cast<uintptr_t>(f), 0, kInt};
}

LIBRARY_COMMAND(CloseFile) {
    MemoryFile* f = OpenMemory(args, count);
    if (!f) return;
    RuntimeNotify(kNotifyRemoveFile, reinterpret_cast<uintptr_t>(f), 0);
    DestroyFile(f);
}

LIBRARY_COMMAND(CloseAllFiles) { RuntimeNotify(kNotifyCloseAllFiles, 0, 0); }

LIBRARY_COMMAND(SeekToStart) {
    MemoryFile* f = OpenMemory(args, count);
    if (f) f->position = 0;
    ResultBool(result, f != nullptr);
}

LIBRARY_COMMAND(FileLength) {
    MemoryFile* f = OpenMemory(args, count);
    ResultInt(result, f ? f->length : -1);
}

LIBRARY_COMMAND(WriteData) {
    ResultBool(result, false);
    MemoryFile* f = OpenMemory(args, count);
    if (!f) return;
    int32_t start = f->position;
    for (int i = 1; i < count; ++i) {
        int32_t n;
        const uint8_t* bytes = ArgBytes(args[i], &n);
        if (!WriteBytes(f, bytes, n)) {
            f->position = start;
            return;
        }
    }
    ResultBool(result, true);
}

LIBRARY_COMMAND(WriteText) {
    ResultBool(result, false);
    MemoryFile* f = OpenMemory(args, count);
    if (!f) return;
    int32_t start = f->position;
    for (int i = 1; i < count; ++i) {
        TypeCode kind = KindOf(args[i].type);
        if (args[i].type & kPointerFlag) continue;
        bool ok = true;
        if (kind == kText) {
            const char* t = ArgText(args[i]);
            ok = WriteBytes(f, reinterpret_cast<const uint8_t*>(t), static_cast<int32_t>(strlen(t)));
        } else if (IsNumericKind(kind) || kind == kBool || kind == kDateTime) {
            // Numbers, truth values and dates in the runtime's text formats.
            ArgRecord text = {0, 0, 0};
            ToText(&text, 1, &args[i]);
            const char* t = reinterpret_cast<const char*>(text.value);
            ok = WriteBytes(f, reinterpret_cast<const uint8_t*>(t), t ? static_cast<int32_t>(strlen(t)) : 0);
            FreeMemory(const_cast<char*>(t));
        }
        if (!ok) {
            f->position = start;
            return;
        }
    }
    ResultBool(result, true);
}

LIBRARY_COMMAND(ReadData) {
    ResultByteSet(result, nullptr, 0);
    MemoryFile* f = OpenMemory(args, count);
    if (!f || count < 2) return;
    int32_t want = ArgInt(args[1]);
    if (want < 1) return;
    int32_t available = f->length - f->position;
    int32_t n = want < available ? want : available;
    ResultByteSet(result, f->bytes + f->position, n);
    f->position += n > 0 ? n : 0;
}

LIBRARY_COMMAND(ReadText) {
    ResultText(result, nullptr, 0);
    MemoryFile* f = OpenMemory(args, count);
    if (!f) return;
    int32_t want = ArgGiven(args, count, 1) ? ArgInt(args[1]) : f->length;
    if (want < 1) return;
    int32_t available = f->length - f->position;
    int32_t n = want < available ? want : available;
    const uint8_t* p = f->bytes + f->position;
    // The text stops at a zero or 0x1A byte, and at a lead byte whose next byte is zero;
    // the stopping byte stays unread.
    int32_t end = 0;
    int32_t stop = -1;
    while (end < n) {
        uint8_t b = p[end];
        if (b == 0 || b == 0x1A) {
            stop = end;
            break;
        }
        if (b >= 0x80 && end + 1 < n && p[end + 1] == 0) {
            stop = end + 1;
            break;
        }
        ++end;
    }
    ResultText(result, reinterpret_cast<const char*>(p), end);
    f->position += stop >= 0 ? stop : n;
}

}  // namespace cmd
