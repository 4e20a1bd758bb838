// Shared by the framework tests: the identifiers of forms/frame_form.txt, the handlers it
// binds, a log of what ran, test-only unit types, and helpers that never block.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/form_data.h"
#include "ui/unit_type.h"

extern const FormDataImage kFrameForm;
extern const FormDataImage kFrameUnitsForm;

namespace frame {
const uint32_t kMain = 0x52100001, kMainRecord = 0x06100001;
const uint32_t kDialog = 0x52100002, kDialogUnit = 0x16200001;
const uint32_t kHidden = 0x52100003;
const uint32_t kUnknownType = 0x52100004, kNotAUnit = 0x16400002;
const uint32_t kFailing = 0x52100005;
const uint32_t kSelfClosing = 0x52100006;
const uint32_t kOther = 0x52100007, kDisabledBefore = 0x52100008;

const uint32_t kUnitA = 0x16100012;        // bindings 0, -1, 1 (none), 2 (result), 5 (extended)
const uint32_t kContainer = 0x16100010;
const uint32_t kInside = 0x16100011;       // in kContainer, at 5, 6
const uint32_t kBorrower = 0x16100013;     // uses kUnitA's bindings
const uint32_t kHiddenUnit = 0x16100014;

// The menu run: k = 0 文件, 1 打开 (Ctrl+O), 2 -, 3 退出 (disabled), 4 弹出 (hidden),
// 5 甲, 6 乙 (checked), 7 帮助.
const uint32_t kMenuFile = 0x26100001, kMenuOpen = 0x26100002, kMenuExit = 0x26100004;
const uint32_t kMenuPopup = 0x26100005, kMenuA = 0x26100006, kMenuB = 0x26100007, kMenuHelp = 0x26100008;

const uint32_t kTypeTestUnit = 0x00070001, kTypeTestBox = 0x00070002;

// forms/frame_units_form.txt: the program's own unit types.
const uint32_t kUnits = 0x52110001;
const uint32_t kEdit = 0x16110001, kGroup = 0x16110002, kRadioA = 0x16110003, kRadioB = 0x16110004;
const uint32_t kButton = 0x16110005, kSuperMenu = 0x16110006;
const uint32_t kUnitsMenuOpen = 0x26110002, kUnitsMenuPopup = 0x26110003, kUnitsMenuA = 0x26110004;

// The log: entries separated by single spaces.
extern std::string log;
void Log(const char* format, ...);

// Handler switches.
extern bool vetoClose12, vetoClose1;
extern int nestedWrites;  // how many levels FrameOnUnitChanged writes kUnitA's text again

// Once per process: the framework, the test unit types; then the test form as the registry
// and an empty log. Windows left open by an earlier case are destroyed first.
void UseFrameForm(const FormDataImage& image = kFrameForm);
void DestroyAllWindows();
// Lets waiting messages run (the framework's filter included).
void Pump();

HWND WindowOf(uint32_t windowId);               // record 0's handle, null when not loaded
HWND UnitWindow(uint32_t windowId, uint32_t unitId);
// Texts as code page 936 bytes, as the tests' literals are.
std::string WideToGbkString(const wchar_t* text);
std::string WindowTextGbk(HWND hwnd);
// The runtime error report text, from code page 936 to UTF-8 for comparisons.
std::string GbkToUtf8(const std::string& text);
}  // namespace frame

// The handlers of frame_form.txt.
void FrameOnCreated();
void FrameOnEvent3();
void FrameOnEvent4();
void FrameOnClose12();
void FrameOnClose1();
void FrameOnUnitChanged();
void FrameOnMouse(int x, int y, int shift);
void FrameOnResult();
void FrameOnExtended(double real, int whole);
void FrameOnMenuOpen();
void FrameOnMenuExit();
void FrameOnMenuA();
void FrameOnMenuB();
void FrameOnMenuHelp();
void FrameOnDialogCreated();
void FrameOnCreatedClose();
void FrameOnEditChanged();
void FrameOnEditKey(int key, int shift);
void FrameOnRadio();
void FrameOnButton();
