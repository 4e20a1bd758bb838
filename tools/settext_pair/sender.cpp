// The sending half: sets a text of N units in the receiver's window with
// SendMessageTimeoutW, as automation tools do, and prints one line of what came of it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: sender UNITS\n");
        return 2;
    }
    long units = atol(argv[1]);
    HWND receiver = nullptr;
    for (int i = 0; i < 200 && !receiver; ++i)
        if (!(receiver = FindWindowW(L"SetTextReceiver", nullptr))) Sleep(25);
    if (!receiver) {
        fprintf(stderr, "sender: no receiver window\n");
        return 1;
    }
    std::wstring text(units, L'x');
    DWORD_PTR answer = 0;
    DWORD start = GetTickCount();
    BOOL answered = SendMessageTimeoutW(receiver, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                        SMTO_NORMAL, 5000, &answer) != 0;
    DWORD took = GetTickCount() - start;
    DWORD error = answered ? 0 : GetLastError();
    if (!IsWindow(receiver)) {
        printf("%9ld units: the receiver ended (%lu ms, error %lu)\n", units, took, error);
    } else if (!answered) {
        printf("%9ld units: no answer in %lu ms (error %lu); the receiver got %ld units\n", units, took, error,
               static_cast<long>(SendMessageW(receiver, WM_APP, 0, 0)));
    } else {
        printf("%9ld units: answered in %lu ms; the receiver got %ld units\n", units, took,
               static_cast<long>(SendMessageW(receiver, WM_APP, 0, 0)));
    }
    PostMessageW(receiver, WM_CLOSE, 0, 0);
    return 0;
}
