// The program's entry. The windows come with the window framework; until then the
// program only says what it is.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MessageBoxW(nullptr, L"文汇通 v1.0：窗口尚在制作中。", L"文汇通 v1.0", MB_OK);
    return 0;
}
