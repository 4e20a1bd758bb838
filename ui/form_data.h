// The embedded window, unit and menu definitions: reading the block into window
// definitions, turning event-handler offsets into routine addresses, and reading each
// unit type's own property data.
//
// The block is built by tools/form_compiler.py from a readable description. The same
// generated source holds the handler stubs: stub k is an 8-byte jump to handler k, and the
// first stub is the handler base, so a stored handler offset is 8 * k.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<uint8_t> Blob;

// What a generated form source hands the runtime.
struct FormDataImage {
    const uint8_t* data;
    uint32_t size;
    uintptr_t handlerBase;     // handler offset v names the routine at handlerBase + v
    uint32_t handlerCodeSize;  // bytes of stubs from the base; every offset must name one
};
const uint32_t kHandlerStubSize = 8;

// Kinds of identifier (the top byte). The record kind is decided by the identifier alone.
inline bool IsWindowId(uint32_t id) { return (id >> 24) == 0x52; }
inline bool IsMenuRecordId(uint32_t id) { return (id >> 24) == 0x26; }

// UnitTypeId: library number in the high half, type number in the low half.
const uint32_t kTypeWindow = 0x00010001;
const uint32_t kTypeMenu = 0x00010003;
const uint32_t kTypeEditBox = 0x00010005;
const uint32_t kTypePicBox = 0x00010006;
const uint32_t kTypeGroupBox = 0x00010009;
const uint32_t kTypeButton = 0x0001000b;
const uint32_t kTypeRadioBox = 0x0001000d;
const uint32_t kTypeStatusBar = 0x00020002;
const uint32_t kTypeTransLabel = 0x00020005;
const uint32_t kTypeSupperMenu = 0x00040001;
const uint32_t kTypeSuperBtn = 0x00050001;
// "EditBox", "window" ...; null for a type this program does not know.
const char* UnitTypeName(uint32_t unitTypeId);

const uint32_t kUnitVisible = 1, kUnitDisabled = 2, kUnitTabStop = 4;  // UnitFlags
const uint32_t kMenuHidden = 1, kMenuDisabled = 2, kMenuChecked = 4;   // MenuFlags

// Default or transparent wherever a background or transparent colour is allowed.
const uint32_t kDefaultColour = 0xff000000;

struct EventBinding {
    int32_t EventNumber;
    uintptr_t Handler;  // the routine's address; 0 = no handler
};

// One record of a window's unit table. Menu records use the head and the menu fields,
// unit records the head and the unit fields; the rest stays zero.
struct FormRecord {
    uint32_t id = 0;
    bool isMenu = false;
    uint32_t UnitTypeId = 0;
    uint32_t EventSourceId = 0;
    std::string Name;
    std::string Remark;

    // Menu record.
    uint32_t ShortcutIndex = 0;
    uint32_t Level = 0;
    uint32_t MenuFlags = 0;
    std::string Caption;
    uintptr_t Handler = 0;                // routine address; 0 = none
    // A dword after the reserved bytes, absent in older forms: 0 numbers the item by its
    // place (see MenuCommandOf); otherwise its command id, kept when items are added before it.
    uint32_t CommandId = 0;
    void* PopupMenus[2] = {nullptr, nullptr};  // run time: pop-up menus built for the item

    // Unit record.
    void* ObjectSlot = nullptr;  // run time: the created unit object
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    void* CursorSlot = nullptr;  // run time: the unit's cursor
    uint32_t ParentId = 0;
    std::vector<uint32_t> ChildIds;
    Blob MouseCursor;
    std::string Tag;
    uint32_t UnitFlags = 0;
    uint32_t TabOrder = 0;
    std::vector<EventBinding> EventBindings;
    Blob UnitData;  // empty: every property takes its default
};

struct FormWindow {
    uint32_t id = 0;
    uint32_t Word1 = 0, Word2 = 0;
    std::string WindowName, WindowRemark;
    std::vector<FormRecord> definition;  // as read, handlers relocated; never changed
    std::vector<FormRecord> records;     // the working table, with the run-time slots
};

// Reads a whole block into window definitions (the working tables start as copies).
// False when a read leaves the block or a structure does not fit; never raises an error.
bool ReadFormData(const FormDataImage& image, std::vector<FormWindow>* windows);

// Start-up: reads the block into the window registry. A malformed block is the fatal
// runtime error "载入窗口模板数据段出错!". Reading again replaces the registry.
void LoadFormData(const FormDataImage& image);

// Makes `image` the program's form data: the program header names its block and handler
// base, and the runtime's start-up step reads it through ReadProgramFormData.
void UseFormData(const FormDataImage& image);
// The start-up step: reads the block into the registry; false is the fatal error that the
// runtime reports. The stubs' extent comes from the image given to UseFormData; with any
// other base no handler offset can be trusted, so a block that binds handlers is refused.
bool ReadProgramFormData(const uint8_t* data, uint32_t length, uintptr_t codeBase);

// The registry, in window-table order.
std::vector<FormWindow>& FormWindows();
FormWindow* FindFormWindow(uint32_t windowId);
// A fresh working table from the definition: every run-time slot empty again.
void ResetWorkingRecords(FormWindow& window);

// Linear lookups: the stored order is not sorted. -1 / null when absent.
int FindRecordIndex(const std::vector<FormRecord>& records, uint32_t id);
FormRecord* FindRecord(std::vector<FormRecord>& records, uint32_t id);
// The first contiguous run of menu records (the window's menu); false when there is none.
bool FirstMenuRun(const std::vector<FormRecord>& records, int* first, int* count);
// The record whose event bindings serve `record`: EventSourceId links followed while they
// name a record of the same type. A cycle stops where it closes.
const FormRecord* FollowEventSource(const std::vector<FormRecord>& records, const FormRecord* record);
// The handler bound to an event of a unit record; 0 when none.
uintptr_t FindEventHandler(const FormRecord& record, int32_t eventNumber);

// ---- The unit types' own property data -------------------------------------------------
// Each reader takes the UnitData block: empty gives every default; a version above the
// reader's highest, a block that ends inside a field, or a font that is neither empty nor
// a 60-byte LOGFONTA image makes it fail (the unit is then not created). Fields that a
// stored version lacks keep their defaults. Texts are code page 936 bytes.

const uint32_t kLogFontSize = 60;

const uint32_t kWindowDataVersion = 6;
struct WindowData {
    uint32_t version = kWindowDataVersion;
    int32_t BorderStyle = 2;
    int32_t BackPictureMode = 1;
    uint32_t BackColour = kDefaultColour;
    int32_t MaxButton = 0;
    int32_t MinButton = 1;
    int32_t ControlBox = 1;
    int32_t Position = 1;
    int32_t Movable = 1;
    int32_t MusicMode = 0;  // property 14, belongs to BackMusic
    int32_t Flag21 = 0, Flag22 = 1, Flag23 = 0;  // kept
    int32_t Number25 = 0;                        // kept
    int32_t ShowInTaskbar = 1;                   // from version 2
    int32_t Flag27 = 0;                          // from version 3, kept
    int32_t Shape = 0;                           // from version 3
    int32_t AlwaysOnTop = 0;                     // from version 4
    int32_t Flag30 = 0;                          // from version 5, kept
    std::string WindowClassName;                 // version 6
    Blob BackPicture;
    Blob Icon;
    Blob BackMusic;
    std::string Title;
    std::string Text24;  // kept
};
bool ReadWindowData(const uint8_t* data, uint32_t size, WindowData* out);

const uint32_t kEditBoxDataVersion = 2;
struct EditBoxData {
    uint32_t version = kEditBoxDataVersion;
    int32_t Border = 1;
    uint32_t TextColour = 0;
    uint32_t BackColour = 0x00ffffff;
    int32_t HideSelection = 1;
    int32_t MaxLength = 0;
    int32_t MultiLine = 0;
    int32_t ScrollBars = 0;
    int32_t Alignment = 0;
    int32_t InputMode = 0;
    uint16_t PasswordChar = 42;  // stored as a 16-bit word
    int32_t CaseConversion = 0;
    int32_t SpinMode = 0;
    int32_t SpinMin = 0;
    int32_t SpinMax = 100;
    int32_t SelStart = 0;
    int32_t SelLength = 0;
    Blob Font;
    std::string Content;
    std::string DataSource;  // version 2
    std::string DataColumn;  // version 2
};
bool ReadEditBoxData(const uint8_t* data, uint32_t size, EditBoxData* out);

const uint32_t kPicBoxDataVersion = 2;
struct PicBoxData {
    uint32_t version = kPicBoxDataVersion;
    int32_t Border = 0;
    uint32_t BackColour = kDefaultColour;
    int32_t DisplayMode = 0;
    int32_t PlayAnimation = 1;
    Blob Picture;
    std::string DataSource;  // version 2
    std::string DataColumn;  // version 2
};
bool ReadPicBoxData(const uint8_t* data, uint32_t size, PicBoxData* out);

const uint32_t kGroupBoxDataVersion = 1;
struct GroupBoxData {
    uint32_t version = kGroupBoxDataVersion;
    int32_t TitleAlign = 0;
    uint32_t TextColour = 0;
    uint32_t BackColour = kDefaultColour;
    Blob Font;
    std::string Caption;
};
bool ReadGroupBoxData(const uint8_t* data, uint32_t size, GroupBoxData* out);

const uint32_t kButtonDataVersion = 1;
struct ButtonData {
    uint32_t version = kButtonDataVersion;
    int32_t ButtonType = 0;
    int32_t HAlign = 1;
    int32_t VAlign = 1;
    Blob Picture;
    Blob Font;
    std::string Caption;
};
bool ReadButtonData(const uint8_t* data, uint32_t size, ButtonData* out);

const uint32_t kRadioBoxDataVersion = 1;
struct RadioBoxData {
    uint32_t version = kRadioBoxDataVersion;
    int32_t PushLike = 0;
    int32_t Flat = 0;
    int32_t LeftText = 0;
    int32_t HAlign = 0;
    int32_t VAlign = 1;
    uint32_t TextColour = 0;
    uint32_t BackColour = kDefaultColour;
    int32_t Checked = 0;
    Blob Picture;
    Blob Font;
    std::string Caption;
};
bool ReadRadioBoxData(const uint8_t* data, uint32_t size, RadioBoxData* out);

const uint32_t kStatusBarDataVersion = 1;
struct StatusBarData {
    uint32_t version = kStatusBarDataVersion;
    uint32_t BackColour = kDefaultColour;
    int32_t Pick9 = 0;
    int32_t Flag10 = 0;
    Blob Font;
    Blob ImageList;
    Blob Panels;
};
bool ReadStatusBarData(const uint8_t* data, uint32_t size, StatusBarData* out);

const uint32_t kTransLabelDataVersion = 1;
struct TransLabelData {
    uint32_t version = kTransLabelDataVersion;
    int32_t Pick9 = 0;  // 0-3
    uint32_t TextColour = 0;
    int32_t Pick12 = 0;
    int32_t Pick14 = 1;
    int32_t Flag13 = 0;
    Blob Font;
    std::string Caption = "透明标签";
};
bool ReadTransLabelData(const uint8_t* data, uint32_t size, TransLabelData* out);

// The stored defaults of a super button are this program's own look: flat, system colours.
const uint32_t kSuperBtnDataVersion = 2;
struct SuperBtnData {
    uint32_t version = kSuperBtnDataVersion;
    int32_t BtnStyle = 0;
    int32_t CheckBox = 0;
    int32_t Checked = 0;
    int32_t AlignStyle = 0;
    int32_t PressStyle = 0;
    int32_t DrawBorder = 1;
    int32_t DrawFocus = 0;
    uint32_t TransColorIn = kDefaultColour;
    uint32_t TransColorOut = kDefaultColour;
    int32_t DefaultColor = 1;
    int32_t StandardSound = 0;
    int32_t DefaultStyle = 0;
    uint32_t FgColorOut = 0x000000, BkColorOut = 0xf0f0f0;
    uint32_t FgColorIn = 0x000000, BkColorIn = 0xffffff;
    uint32_t FgColorFocus = 0x000000, BkColorFocus = 0xf0f0f0;
    Blob PicIn;
    Blob PicOut;
    Blob font;
    Blob OverSound;
    Blob ClickSound;
    std::string caption;
    std::string ToolTip;
    uint32_t TransColorDisabled = kDefaultColour;  // version 2
    Blob PicDisabled;                              // version 2
};
bool ReadSuperBtnData(const uint8_t* data, uint32_t size, SuperBtnData* out);

// Stored layout, in order: version; Colours[0..5]; Theme; Colours[6..9]; ImageList (Blob);
// CustomData (Blob); from version 2 ExtraColours[0..1]; from version 3 Font (Blob, empty
// or LOGFONTA); from version 4 FontFace (LText) and FontWeight, the second font description.
const uint32_t kSupperMenuDataVersion = 4;
struct SupperMenuData {
    uint32_t version = kSupperMenuDataVersion;
    uint32_t Colours[10] = {0x00ececec, 0x00808080, 0x00ccf4ff, 0x009dd7ff, 0x00ffffff,
                            0x00c2eeff, 0x00000000, 0x00808080, 0x00000000, 0x00ffffff};
    int32_t Theme = 0;
    Blob ImageList;
    Blob CustomData;
    uint32_t ExtraColours[2] = {kDefaultColour, kDefaultColour};  // kDefaultColour: button face
    Blob Font;
    std::string FontFace;
    int32_t FontWeight = 400;
};
bool ReadSupperMenuData(const uint8_t* data, uint32_t size, SupperMenuData* out);
