#include "engine/service_failure.h"

namespace {
const char* g_failed = nullptr;
}

void NoteServiceFailure(const char* what) {
    if (!g_failed) g_failed = what;
}

void NoteCodePageFailure(uint32_t codePage) {
    switch (codePage) {
    case 936: NoteServiceFailure("系统的代码页转换（GBK，代码页 936）"); break;
    case 950: NoteServiceFailure("系统的代码页转换（BIG5，代码页 950）"); break;
    case 65001: NoteServiceFailure("系统的代码页转换（UTF-8，代码页 65001）"); break;
    default: NoteServiceFailure("系统的代码页转换"); break;
    }
}

const char* TakeServiceFailure() {
    const char* what = g_failed;
    g_failed = nullptr;
    return what;
}
