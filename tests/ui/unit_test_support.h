// Shared by the unit-type tests: unit data built from the readers' structs, pictures made
// from pixels, a plain host window that hands notifications to its units, and a recorder
// of the events units raise.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/form_data.h"
#include "ui/unit_type.h"

namespace units_test {

const uint32_t kTestWindowId = 0x52770001;

// Unit data in the stored layouts (each writes the struct's version and the fields that
// version has).
Blob EditBoxBlob(const EditBoxData& d);
Blob PicBoxBlob(const PicBoxData& d);
Blob GroupBoxBlob(const GroupBoxData& d);
Blob ButtonBlob(const ButtonData& d);
Blob RadioBoxBlob(const RadioBoxData& d);
Blob StatusBarBlob(const StatusBarData& d);
Blob TransLabelBlob(const TransLabelData& d);
Blob SuperBtnBlob(const SuperBtnData& d);
Blob SupperMenuBlob(const SupperMenuData& d);
// A LOGFONTA image with a code page 936 face name.
Blob LogFontBlob(int height, int weight, int charset, const char* face);

// Pictures. Pixels are 0xAARRGGBB, top row first.
Blob EncodePng(int width, int height, const std::vector<uint32_t>& pixels);
Blob EncodeJpeg(int width, int height, const std::vector<uint32_t>& pixels, int quality);
Blob MakeIco32(int size, uint32_t argb);  // one 32-bit image
Blob MakeBmp24(int width, int height, const std::vector<uint32_t>& pixels);
// The super buttons' picture: a 16 x 16 grey downward chevron on transparency.
std::vector<uint32_t> ChevronPixels();
const uint32_t kChevronGrey = 0x707070;
// A test scene for the picture box: quadrants of four colours.
std::vector<uint32_t> QuadrantPixels(int width, int height);

// A visible top-level window that reflects its children's notifications to their units.
HWND CreateHostWindow(const wchar_t* title, int width, int height, HMENU menu = nullptr);
// Creates a unit through its type's create function, as the loader does, and shows it.
Unit* CreateTestUnit(uint32_t type, const Blob& data, HWND parent, int left, int top, int width, int height,
                     uint32_t unitId, bool show = true);
// Deletes a unit and destroys its window, as the framework does on destruction.
void DeleteUnit(Unit* unit);
// Lets pending messages run for about the given time.
void Pump(int milliseconds = 0);

struct RaisedEvent {
    uint32_t window, unit;
    int32_t number;
    std::vector<int32_t> args;
};
// Records every event raised through RuntimeNotify 2008 while it lives; it can answer one
// event number with a result. Afterwards the framework's own handlers are put back.
class EventRecorder {
public:
    EventRecorder();
    ~EventRecorder();
    void Answer(int32_t eventNumber, int32_t result);
    int Count(uint32_t unit, int32_t number) const;
    const std::vector<RaisedEvent>& events() const;
    void Clear();
};

// Counts RuntimeNotify 2037 requests while it lives (answering 0: no framework window).
class OwnerDrawRequests {
public:
    OwnerDrawRequests();
    ~OwnerDrawRequests();
    int count() const;
};

std::string Utf8(const std::wstring& text);
std::wstring WindowTextW(HWND hwnd);

// A captured area of the screen as 0xRRGGBB pixels.
struct Capture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Capture CaptureScreen(const RECT& screenRect);
// Draws into a memory bitmap of the given size, filled with `background` first.
Capture RenderOffscreen(int width, int height, uint32_t background, void (*draw)(HDC, const RECT&, void*), void* context);
bool WritePngFile(const char* path, const Capture& capture);

}  // namespace units_test
