#include "form_data.h"

#include <cstring>

#include "runtime/error_report.h"
#include "runtime/program_header.h"
#include "runtime/startup.h"

namespace {

// Reads little-endian fields from a block it does not trust. The first read that would
// leave the block fails, and every read after it fails too, so a caller checks once.
class ByteReader {
public:
    ByteReader(const uint8_t* data, uint32_t size) : p_(data), n_(size) {}

    bool ok() const { return ok_; }
    uint32_t left() const { return ok_ ? n_ - pos_ : 0; }
    const uint8_t* here() const { return p_ + pos_; }

    bool need(uint32_t k) {
        if (ok_ && n_ - pos_ < k) ok_ = false;
        return ok_;
    }
    void skip(uint32_t k) {
        if (need(k)) pos_ += k;
    }
    uint32_t u32() {
        uint32_t v = 0;
        if (need(4)) {
            memcpy(&v, p_ + pos_, 4);
            pos_ += 4;
        }
        return v;
    }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    uint16_t u16() {
        uint16_t v = 0;
        if (need(2)) {
            memcpy(&v, p_ + pos_, 2);
            pos_ += 2;
        }
        return v;
    }
    std::string ctext() {
        if (!ok_) return std::string();
        const void* end = memchr(p_ + pos_, 0, n_ - pos_);
        if (!end) {
            ok_ = false;
            return std::string();
        }
        uint32_t len = static_cast<uint32_t>(static_cast<const uint8_t*>(end) - (p_ + pos_));
        std::string s(reinterpret_cast<const char*>(p_ + pos_), len);
        pos_ += len + 1;
        return s;
    }
    std::string ltext() {
        uint32_t len = u32();
        if (!need(len)) return std::string();
        std::string s(reinterpret_cast<const char*>(p_ + pos_), len);
        pos_ += len;
        return s;
    }
    Blob blob() {
        uint32_t len = u32();
        if (!need(len)) return Blob();
        Blob b(p_ + pos_, p_ + pos_ + len);
        pos_ += len;
        return b;
    }
    Blob font() {
        Blob b = blob();
        if (!b.empty() && b.size() != kLogFontSize) ok_ = false;
        return b;
    }
    // count elements of `each` bytes must still fit; guards the multiplication as well.
    bool fits(uint32_t count, uint32_t each) {
        if (ok_ && count > left() / each) ok_ = false;
        return ok_;
    }

private:
    const uint8_t* p_;
    uint32_t n_;
    uint32_t pos_ = 0;
    bool ok_ = true;
};

std::vector<FormWindow> g_windows;
FormDataImage g_programImage = {nullptr, 0, 0, 0};

// -1 is no handler; anything else must name a stub inside the handler code, since the
// dispatcher will jump there.
bool Relocate(int32_t offset, const FormDataImage& image, uintptr_t* address) {
    if (offset == -1) {
        *address = 0;
        return true;
    }
    uint32_t v = static_cast<uint32_t>(offset);
    if (offset < 0 || v >= image.handlerCodeSize || v % kHandlerStubSize != 0) return false;
    *address = image.handlerBase + v;
    return true;
}

bool ReadRecord(const uint8_t* body, uint32_t size, uint32_t id, const FormDataImage& image, FormRecord* rec) {
    ByteReader r(body, size);
    rec->id = id;
    rec->isMenu = IsMenuRecordId(id);
    rec->UnitTypeId = r.u32();
    rec->EventSourceId = r.u32();
    r.skip(16);
    rec->Name = r.ctext();
    rec->Remark = r.ctext();
    if (rec->isMenu) {
        rec->ShortcutIndex = r.u32();
        rec->Level = r.u32();
        rec->MenuFlags = r.u32();
        rec->Caption = r.ctext();
        int32_t handler = r.i32();
        r.skip(16);
        if (r.left() >= 4) rec->CommandId = r.u32();
        return r.ok() && Relocate(handler, image, &rec->Handler);
    }
    r.skip(4);  // ObjectSlot: a stored value is never trusted as an object
    rec->Left = r.i32();
    rec->Top = r.i32();
    rec->Width = r.i32();
    rec->Height = r.i32();
    r.skip(4);  // CursorSlot
    rec->ParentId = r.u32();
    uint32_t childCount = r.u32();
    if (r.fits(childCount, 4)) {
        rec->ChildIds.resize(childCount);
        for (uint32_t i = 0; i < childCount; ++i) rec->ChildIds[i] = r.u32();
    }
    rec->MouseCursor = r.blob();
    rec->Tag = r.ctext();
    r.skip(4);
    rec->UnitFlags = r.u32();
    rec->TabOrder = r.u32();
    uint32_t eventCount = r.u32();
    if (r.fits(eventCount, 8)) {
        rec->EventBindings.resize(eventCount);
        for (uint32_t i = 0; i < eventCount; ++i) {
            rec->EventBindings[i].EventNumber = r.i32();
            int32_t handler = r.i32();
            if (r.ok() && !Relocate(handler, image, &rec->EventBindings[i].Handler)) return false;
        }
    }
    r.skip(20);
    if (!r.ok()) return false;
    rec->UnitData.assign(r.here(), r.here() + r.left());
    return true;
}

bool ReadWindowBlock(ByteReader& r, uint32_t id, const FormDataImage& image, FormWindow* w) {
    w->id = id;
    w->Word1 = r.u32();
    w->Word2 = r.u32();
    w->WindowName = r.ltext();
    w->WindowRemark = r.ltext();
    uint32_t count = r.u32();
    uint32_t tableSize = r.u32();
    if (!r.need(tableSize)) return false;
    ByteReader t(r.here(), tableSize);
    r.skip(tableSize);
    // Record 0 is the window's own unit record, so a window has at least that one.
    if (count == 0 || !t.fits(count, 8)) return false;
    std::vector<uint32_t> ids(count), offsets(count);
    for (uint32_t i = 0; i < count; ++i) ids[i] = t.u32();
    for (uint32_t i = 0; i < count; ++i) offsets[i] = t.u32();
    const uint8_t* records = t.here();
    uint32_t recordsSize = t.left();
    w->definition.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t off = offsets[i];
        if (recordsSize < 4 || off > recordsSize - 4) return false;
        uint32_t size;
        memcpy(&size, records + off, 4);
        if (size > recordsSize - off - 4) return false;
        if (!ReadRecord(records + off + 4, size, ids[i], image, &w->definition[i])) return false;
    }
    if (w->definition[0].isMenu) return false;
    w->records = w->definition;
    return true;
}

// Every reader starts the same way: empty is all defaults; a version this reader does not
// know is refused before anything else is read.
bool BeginUnitData(ByteReader& r, uint32_t highest, uint32_t* version) {
    *version = r.u32();
    return r.ok() && *version <= highest;
}

}  // namespace

const char* UnitTypeName(uint32_t unitTypeId) {
    switch (unitTypeId) {
        case kTypeWindow: return "window";
        case kTypeMenu: return "menu";
        case kTypeEditBox: return "EditBox";
        case kTypePicBox: return "PicBox";
        case kTypeGroupBox: return "GroupBox";
        case kTypeButton: return "Button";
        case kTypeRadioBox: return "RadioBox";
        case kTypeStatusBar: return "StatusBar";
        case kTypeTransLabel: return "TransLabel";
        case kTypeSupperMenu: return "SupperMenu";
        case kTypeSuperBtn: return "SuperBtn";
        default: return nullptr;
    }
}

bool ReadFormData(const FormDataImage& image, std::vector<FormWindow>* windows) {
    windows->clear();
    if (!image.data && image.size != 0) return false;
    ByteReader r(image.data, image.size);
    uint32_t tableBytes = r.u32();
    if (!r.ok() || tableBytes % 8 != 0 || !r.need(tableBytes)) return false;
    uint32_t count = tableBytes / 8;
    std::vector<uint32_t> ids(count);
    for (uint32_t i = 0; i < count; ++i) ids[i] = r.u32();
    r.skip(count * 4);  // the slots: whatever is stored there means nothing
    std::vector<FormWindow> result(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (!ReadWindowBlock(r, ids[i], image, &result[i])) return false;
    }
    // The last window block ends exactly at the end of the data.
    if (!r.ok() || r.left() != 0) return false;
    windows->swap(result);
    return true;
}

void LoadFormData(const FormDataImage& image) {
    std::vector<FormWindow> windows;
    if (!ReadFormData(image, &windows)) RaiseFatalMessage("载入窗口模板数据段出错!");
    g_windows.swap(windows);
}

void UseFormData(const FormDataImage& image) {
    g_programImage = image;
    SetProgramCodeBase(image.handlerBase);
    SetProgramFormData(image.data, image.size);
    SetFormDataLoader(&ReadProgramFormData);
}

bool ReadProgramFormData(const uint8_t* data, uint32_t length, uintptr_t codeBase) {
    uint32_t codeSize = codeBase == g_programImage.handlerBase ? g_programImage.handlerCodeSize : 0;
    std::vector<FormWindow> windows;
    if (!ReadFormData(FormDataImage{data, length, codeBase, codeSize}, &windows)) return false;
    g_windows.swap(windows);
    return true;
}

std::vector<FormWindow>& FormWindows() { return g_windows; }

FormWindow* FindFormWindow(uint32_t windowId) {
    for (FormWindow& w : g_windows) {
        if (w.id == windowId) return &w;
    }
    return nullptr;
}

void ResetWorkingRecords(FormWindow& window) { window.records = window.definition; }

int FindRecordIndex(const std::vector<FormRecord>& records, uint32_t id) {
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

FormRecord* FindRecord(std::vector<FormRecord>& records, uint32_t id) {
    int i = FindRecordIndex(records, id);
    return i < 0 ? nullptr : &records[i];
}

bool FirstMenuRun(const std::vector<FormRecord>& records, int* first, int* count) {
    size_t i = 0;
    while (i < records.size() && !records[i].isMenu) ++i;
    if (i == records.size()) return false;
    size_t end = i;
    while (end < records.size() && records[end].isMenu) ++end;
    *first = static_cast<int>(i);
    *count = static_cast<int>(end - i);
    return true;
}

const FormRecord* FollowEventSource(const std::vector<FormRecord>& records, const FormRecord* record) {
    // A chain longer than the table has come round in a cycle.
    for (size_t steps = 0; steps < records.size() && record->EventSourceId != 0; ++steps) {
        int i = FindRecordIndex(records, record->EventSourceId);
        if (i < 0 || records[i].UnitTypeId != record->UnitTypeId) break;
        record = &records[i];
    }
    return record;
}

uintptr_t FindEventHandler(const FormRecord& record, int32_t eventNumber) {
    for (const EventBinding& b : record.EventBindings) {
        if (b.EventNumber == eventNumber) return b.Handler;
    }
    return 0;
}

bool ReadWindowData(const uint8_t* data, uint32_t size, WindowData* out) {
    *out = WindowData();
    if (size == 0) return true;
    ByteReader r(data, size);
    WindowData d;
    if (!BeginUnitData(r, kWindowDataVersion, &d.version)) return false;
    d.BorderStyle = r.i32();
    d.BackPictureMode = r.i32();
    d.BackColour = r.u32();
    d.MaxButton = r.i32();
    d.MinButton = r.i32();
    d.ControlBox = r.i32();
    d.Position = r.i32();
    d.Movable = r.i32();
    d.MusicMode = r.i32();
    d.Flag21 = r.i32();
    d.Flag22 = r.i32();
    d.Flag23 = r.i32();
    d.Number25 = r.i32();
    if (d.version >= 2) d.ShowInTaskbar = r.i32();
    if (d.version >= 3) {
        d.Flag27 = r.i32();
        d.Shape = r.i32();
    }
    if (d.version >= 4) d.AlwaysOnTop = r.i32();
    if (d.version >= 5) d.Flag30 = r.i32();
    if (d.version >= 6) d.WindowClassName = r.ltext();
    d.BackPicture = r.blob();
    d.Icon = r.blob();
    d.BackMusic = r.blob();
    d.Title = r.ltext();
    d.Text24 = r.ltext();
    if (!r.ok()) return false;
    *out = d;
    return true;
}

bool ReadEditBoxData(const uint8_t* data, uint32_t size, EditBoxData* out) {
    *out = EditBoxData();
    if (size == 0) return true;
    ByteReader r(data, size);
    EditBoxData d;
    if (!BeginUnitData(r, kEditBoxDataVersion, &d.version)) return false;
    d.Border = r.i32();
    d.TextColour = r.u32();
    d.BackColour = r.u32();
    d.HideSelection = r.i32();
    d.MaxLength = r.i32();
    d.MultiLine = r.i32();
    d.ScrollBars = r.i32();
    d.Alignment = r.i32();
    d.InputMode = r.i32();
    d.PasswordChar = r.u16();
    d.CaseConversion = r.i32();
    d.SpinMode = r.i32();
    d.SpinMin = r.i32();
    d.SpinMax = r.i32();
    d.SelStart = r.i32();
    d.SelLength = r.i32();
    d.Font = r.font();
    d.Content = r.ltext();
    if (d.version >= 2) {
        d.DataSource = r.ltext();
        d.DataColumn = r.ltext();
    }
    if (!r.ok()) return false;
    *out = d;
    return true;
}

bool ReadPicBoxData(const uint8_t* data, uint32_t size, PicBoxData* out) {
    *out = PicBoxData();
    if (size == 0) return true;
    ByteReader r(data, size);
    PicBoxData d;
    if (!BeginUnitData(r, kPicBoxDataVersion, &d.version)) return false;
    d.Border = r.i32();
    d.BackColour = r.u32();
    d.DisplayMode = r.i32();
    d.PlayAnimation = r.i32();
    d.Picture = r.blob();
    if (d.version >= 2) {
        d.DataSource = r.ltext();
        d.DataColumn = r.ltext();
    }
    if (!r.ok()) return false;
    *out = d;
    return true;
}

bool ReadGroupBoxData(const uint8_t* data, uint32_t size, GroupBoxData* out) {
    *out = GroupBoxData();
    if (size == 0) return true;
    ByteReader r(data, size);
    GroupBoxData d;
    if (!BeginUnitData(r, kGroupBoxDataVersion, &d.version)) return false;
    d.TitleAlign = r.i32();
    d.TextColour = r.u32();
    d.BackColour = r.u32();
    d.Font = r.font();
    d.Caption = r.ltext();
    if (!r.ok()) return false;
    *out = d;
    return true;
}

bool ReadButtonData(const uint8_t* data, uint32_t size, ButtonData* out) {
    *out = ButtonData();
    if (size == 0) return true;
    ByteReader r(data, size);
    ButtonData d;
    if (!BeginUnitData(r, kButtonDataVersion, &d.version)) return false;
    d.ButtonType = r.i32();
    d.HAlign = r.i32();
    d.VAlign = r.i32();
    d.Picture = r.blob();
    d.Font = r.font();
    d.Caption = r.ltext();
    if (!r.ok()) return false;
    *out = d;
    return true;
}

bool ReadRadioBoxData(const uint8_t* data, uint32_t size, RadioBoxData* out) {
    *out = RadioBoxData();
    if (size == 0) return true;
    ByteReader r(data, size);
    RadioBoxData d;
    if (!BeginUnitData(r, kRadioBoxDataVersion, &d.version)) return false;
    d.PushLike = r.i32();
    d.Flat = r.i32();
    d.LeftText = r.i32();
    d.HAlign = r.i32();
    d.VAlign = r.i32();
    d.TextColour = r.u32();
    d.BackColour = r.u32();
    d.Checked = r.i32();
    d.Picture = r.blob();
    d.Font = r.font();
    d.Caption = r.ltext();
    if (!r.ok()) return false;
    *out = d;
    return true;
}

bool ReadStatusBarData(const uint8_t* data, uint32_t size, StatusBarData* out) {
    *out = StatusBarData();
    if (size == 0) return true;
    ByteReader r(data, size);
    StatusBarData d;
    if (!BeginUnitData(r, kStatusBarDataVersion, &d.version)) return false;
    d.BackColour = r.u32();
    d.Pick9 = r.i32();
    d.Flag10 = r.i32();
    d.Font = r.font();
    d.ImageList = r.blob();
    d.Panels = r.blob();
    if (!r.ok()) return false;
    *out = d;
    return true;
}

bool ReadTransLabelData(const uint8_t* data, uint32_t size, TransLabelData* out) {
    *out = TransLabelData();
    if (size == 0) return true;
    ByteReader r(data, size);
    TransLabelData d;
    if (!BeginUnitData(r, kTransLabelDataVersion, &d.version)) return false;
    d.Pick9 = r.i32();
    d.TextColour = r.u32();
    d.Pick12 = r.i32();
    d.Pick14 = r.i32();
    d.Flag13 = r.i32();
    d.Font = r.font();
    d.Caption = r.ltext();
    if (!r.ok()) return false;
    *out = d;
    return true;
}

bool ReadSuperBtnData(const uint8_t* data, uint32_t size, SuperBtnData* out) {
    *out = SuperBtnData();
    if (size == 0) return true;
    ByteReader r(data, size);
    SuperBtnData d;
    if (!BeginUnitData(r, kSuperBtnDataVersion, &d.version)) return false;
    d.BtnStyle = r.i32();
    d.CheckBox = r.i32();
    d.Checked = r.i32();
    d.AlignStyle = r.i32();
    d.PressStyle = r.i32();
    d.DrawBorder = r.i32();
    d.DrawFocus = r.i32();
    d.TransColorIn = r.u32();
    d.TransColorOut = r.u32();
    d.DefaultColor = r.i32();
    d.StandardSound = r.i32();
    d.DefaultStyle = r.i32();
    d.FgColorOut = r.u32();
    d.BkColorOut = r.u32();
    d.FgColorIn = r.u32();
    d.BkColorIn = r.u32();
    d.FgColorFocus = r.u32();
    d.BkColorFocus = r.u32();
    d.PicIn = r.blob();
    d.PicOut = r.blob();
    d.font = r.font();
    d.OverSound = r.blob();
    d.ClickSound = r.blob();
    d.caption = r.ltext();
    d.ToolTip = r.ltext();
    if (d.version >= 2) {
        d.TransColorDisabled = r.u32();
        d.PicDisabled = r.blob();
    }
    if (!r.ok()) return false;
    *out = d;
    return true;
}

bool ReadSupperMenuData(const uint8_t* data, uint32_t size, SupperMenuData* out) {
    *out = SupperMenuData();
    if (size == 0) return true;
    ByteReader r(data, size);
    SupperMenuData d;
    if (!BeginUnitData(r, kSupperMenuDataVersion, &d.version)) return false;
    for (int i = 0; i < 6; ++i) d.Colours[i] = r.u32();
    d.Theme = r.i32();
    for (int i = 6; i < 10; ++i) d.Colours[i] = r.u32();
    d.ImageList = r.blob();
    d.CustomData = r.blob();
    if (d.version >= 2) {
        d.ExtraColours[0] = r.u32();
        d.ExtraColours[1] = r.u32();
    }
    if (d.version >= 3) d.Font = r.font();
    if (d.version >= 4) {
        d.FontFace = r.ltext();
        d.FontWeight = r.i32();
    }
    if (!r.ok()) return false;
    *out = d;
    return true;
}
