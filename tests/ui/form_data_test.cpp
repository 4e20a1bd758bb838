// The form data reader against hand-written bytes and against blocks generated from
// tests/ui/forms/*.txt; the generator against the same hand-written bytes.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/startup.h"
#include "tests/ui/form_test_handlers.h"
#include "test_support.h"
#include "ui/form_data.h"

extern const FormDataImage kHandForm;
extern const FormDataImage kTestForm;

namespace {
int g_created = 0, g_menu = 0;
}
void FormTestOnCreated() { ++g_created; }
int FormTestOnAdd(int a, int b) { return a + b; }
int FormTestOnKey(int key, int shift) { return key * 10 + shift; }
void FormTestOnMenu() { ++g_menu; }
namespace form_test {
int 按钮_被单击() { return 7; }
}

namespace {

// Little-endian fields, written out as the layout tables give them.
std::string D(uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }
std::string W(uint16_t v) { return std::string(reinterpret_cast<const char*>(&v), 2); }
std::string Z(const std::string& s) { return s + std::string(1, '\0'); }      // CText
std::string L(const std::string& s) { return D(static_cast<uint32_t>(s.size())) + s; }  // LText, Blob
std::string N(int n) { return std::string(n, '\0'); }
std::string LogFont(LONG height, LONG weight, BYTE italic, BYTE charset, const char* face) {
    static_assert(sizeof(LOGFONTA) == 60, "a font image is a LOGFONTA");
    LOGFONTA f = {};
    f.lfHeight = height;
    f.lfWeight = weight;
    f.lfItalic = italic;
    f.lfCharSet = charset;
    lstrcpynA(f.lfFaceName, face, LF_FACESIZE);
    return std::string(reinterpret_cast<const char*>(&f), sizeof f);
}

std::string Str(const Blob& b) { return std::string(b.begin(), b.end()); }
std::string Bytes(const FormDataImage& image) {
    return std::string(reinterpret_cast<const char*>(image.data), image.size);
}

// ---- Property data as readable text ----------------------------------------------------

struct Dump {
    std::string s;
    Dump& n(const char* name, uint32_t v) {
        char buf[16];
        snprintf(buf, sizeof buf, "%x", v);
        return put(name, buf);
    }
    Dump& t(const char* name, const std::string& v) { return put(name, "\"" + v + "\""); }
    Dump& b(const char* name, const Blob& v) { return put(name, "[" + Hex(Str(v)) + "]"); }
    Dump& f(const char* name, const Blob& v) {
        if (v.empty()) return put(name, "()");
        LOGFONTA lf;
        memcpy(&lf, v.data(), sizeof lf);
        char buf[80];
        snprintf(buf, sizeof buf, "(%ld,%ld,%d,%d,%.31s)", lf.lfHeight, lf.lfWeight, lf.lfItalic,
                 lf.lfCharSet, lf.lfFaceName);
        return put(name, buf);
    }
    Dump& list(const char* name, const uint32_t* v, int count) {
        std::string out;
        for (int i = 0; i < count; ++i) {
            char buf[16];
            snprintf(buf, sizeof buf, i ? ",%x" : "%x", v[i]);
            out += buf;
        }
        return put(name, out);
    }
    Dump& put(const char* name, const std::string& v) {
        if (!s.empty()) s += ' ';
        s += name;
        s += '=';
        s += v;
        return *this;
    }
};

// The data of a unit of the given type as text; "refused" when the reader refuses it.
std::string DumpData(uint32_t type, const std::string& bytes) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes.data());
    uint32_t n = static_cast<uint32_t>(bytes.size());
    Dump d;
    switch (type) {
        case kTypeWindow: {
            WindowData x;
            if (!ReadWindowData(p, n, &x)) return "refused";
            d.n("v", x.version).n("BorderStyle", x.BorderStyle).n("BackPictureMode", x.BackPictureMode)
                .n("BackColour", x.BackColour).n("MaxButton", x.MaxButton).n("MinButton", x.MinButton)
                .n("ControlBox", x.ControlBox).n("Position", x.Position).n("Movable", x.Movable)
                .n("MusicMode", x.MusicMode).n("Flag21", x.Flag21).n("Flag22", x.Flag22)
                .n("Flag23", x.Flag23).n("Number25", x.Number25).n("ShowInTaskbar", x.ShowInTaskbar)
                .n("Flag27", x.Flag27).n("Shape", x.Shape).n("AlwaysOnTop", x.AlwaysOnTop)
                .n("Flag30", x.Flag30).t("WindowClassName", x.WindowClassName)
                .b("BackPicture", x.BackPicture).b("Icon", x.Icon).b("BackMusic", x.BackMusic)
                .t("Title", x.Title).t("Text24", x.Text24);
            break;
        }
        case kTypeEditBox: {
            EditBoxData x;
            if (!ReadEditBoxData(p, n, &x)) return "refused";
            d.n("v", x.version).n("Border", x.Border).n("TextColour", x.TextColour)
                .n("BackColour", x.BackColour).n("HideSelection", x.HideSelection)
                .n("MaxLength", x.MaxLength).n("MultiLine", x.MultiLine).n("ScrollBars", x.ScrollBars)
                .n("Alignment", x.Alignment).n("InputMode", x.InputMode).n("PasswordChar", x.PasswordChar)
                .n("CaseConversion", x.CaseConversion).n("SpinMode", x.SpinMode).n("SpinMin", x.SpinMin)
                .n("SpinMax", x.SpinMax).n("SelStart", x.SelStart).n("SelLength", x.SelLength)
                .f("Font", x.Font).t("Content", x.Content).t("DataSource", x.DataSource)
                .t("DataColumn", x.DataColumn);
            break;
        }
        case kTypePicBox: {
            PicBoxData x;
            if (!ReadPicBoxData(p, n, &x)) return "refused";
            d.n("v", x.version).n("Border", x.Border).n("BackColour", x.BackColour)
                .n("DisplayMode", x.DisplayMode).n("PlayAnimation", x.PlayAnimation).b("Picture", x.Picture)
                .t("DataSource", x.DataSource).t("DataColumn", x.DataColumn);
            break;
        }
        case kTypeGroupBox: {
            GroupBoxData x;
            if (!ReadGroupBoxData(p, n, &x)) return "refused";
            d.n("v", x.version).n("TitleAlign", x.TitleAlign).n("TextColour", x.TextColour)
                .n("BackColour", x.BackColour).f("Font", x.Font).t("Caption", x.Caption);
            break;
        }
        case kTypeButton: {
            ButtonData x;
            if (!ReadButtonData(p, n, &x)) return "refused";
            d.n("v", x.version).n("ButtonType", x.ButtonType).n("HAlign", x.HAlign).n("VAlign", x.VAlign)
                .b("Picture", x.Picture).f("Font", x.Font).t("Caption", x.Caption);
            break;
        }
        case kTypeRadioBox: {
            RadioBoxData x;
            if (!ReadRadioBoxData(p, n, &x)) return "refused";
            d.n("v", x.version).n("PushLike", x.PushLike).n("Flat", x.Flat).n("LeftText", x.LeftText)
                .n("HAlign", x.HAlign).n("VAlign", x.VAlign).n("TextColour", x.TextColour)
                .n("BackColour", x.BackColour).n("Checked", x.Checked).b("Picture", x.Picture)
                .f("Font", x.Font).t("Caption", x.Caption);
            break;
        }
        case kTypeStatusBar: {
            StatusBarData x;
            if (!ReadStatusBarData(p, n, &x)) return "refused";
            d.n("v", x.version).n("BackColour", x.BackColour).n("Pick9", x.Pick9).n("Flag10", x.Flag10)
                .f("Font", x.Font).b("ImageList", x.ImageList).b("Panels", x.Panels);
            break;
        }
        case kTypeTransLabel: {
            TransLabelData x;
            if (!ReadTransLabelData(p, n, &x)) return "refused";
            d.n("v", x.version).n("Pick9", x.Pick9).n("TextColour", x.TextColour).n("Pick12", x.Pick12)
                .n("Pick14", x.Pick14).n("Flag13", x.Flag13).f("Font", x.Font).t("Caption", x.Caption);
            break;
        }
        case kTypeSuperBtn: {
            SuperBtnData x;
            if (!ReadSuperBtnData(p, n, &x)) return "refused";
            d.n("v", x.version).n("BtnStyle", x.BtnStyle).n("CheckBox", x.CheckBox).n("Checked", x.Checked)
                .n("AlignStyle", x.AlignStyle).n("PressStyle", x.PressStyle).n("DrawBorder", x.DrawBorder)
                .n("DrawFocus", x.DrawFocus).n("TransColorIn", x.TransColorIn)
                .n("TransColorOut", x.TransColorOut).n("DefaultColor", x.DefaultColor)
                .n("StandardSound", x.StandardSound).n("DefaultStyle", x.DefaultStyle)
                .n("FgColorOut", x.FgColorOut).n("BkColorOut", x.BkColorOut).n("FgColorIn", x.FgColorIn)
                .n("BkColorIn", x.BkColorIn).n("FgColorFocus", x.FgColorFocus)
                .n("BkColorFocus", x.BkColorFocus).b("PicIn", x.PicIn).b("PicOut", x.PicOut)
                .f("font", x.font).b("OverSound", x.OverSound).b("ClickSound", x.ClickSound)
                .t("caption", x.caption).t("ToolTip", x.ToolTip)
                .n("TransColorDisabled", x.TransColorDisabled).b("PicDisabled", x.PicDisabled);
            break;
        }
        case kTypeSupperMenu: {
            SupperMenuData x;
            if (!ReadSupperMenuData(p, n, &x)) return "refused";
            d.n("v", x.version).list("Colours", x.Colours, 10).n("Theme", x.Theme)
                .b("ImageList", x.ImageList).b("CustomData", x.CustomData)
                .list("ExtraColours", x.ExtraColours, 2).f("Font", x.Font).t("FontFace", x.FontFace)
                .n("FontWeight", x.FontWeight);
            break;
        }
        default:
            return "no reader";
    }
    return d.s;
}

uint32_t HighestVersion(uint32_t type) {
    switch (type) {
        case kTypeWindow: return kWindowDataVersion;
        case kTypeEditBox: return kEditBoxDataVersion;
        case kTypePicBox: return kPicBoxDataVersion;
        case kTypeGroupBox: return kGroupBoxDataVersion;
        case kTypeButton: return kButtonDataVersion;
        case kTypeRadioBox: return kRadioBoxDataVersion;
        case kTypeStatusBar: return kStatusBarDataVersion;
        case kTypeTransLabel: return kTransLabelDataVersion;
        case kTypeSuperBtn: return kSuperBtnDataVersion;
        case kTypeSupperMenu: return kSupperMenuDataVersion;
        default: return 0;
    }
}

const uint32_t kAllTypes[] = {kTypeWindow,   kTypeEditBox,   kTypePicBox,    kTypeGroupBox,
                              kTypeButton,   kTypeRadioBox,  kTypeStatusBar, kTypeTransLabel,
                              kTypeSuperBtn, kTypeSupperMenu};

std::vector<FormWindow> Read(const FormDataImage& image) {
    std::vector<FormWindow> windows;
    REQUIRE(ReadFormData(image, &windows));
    return windows;
}

const FormRecord& RecordOf(const std::vector<FormWindow>& windows, uint32_t windowId, uint32_t id) {
    for (const FormWindow& w : windows) {
        if (w.id != windowId) continue;
        int i = FindRecordIndex(w.definition, id);
        REQUIRE(i >= 0);
        return w.definition[i];
    }
    FAIL("no window " << windowId);
    return windows[0].definition[0];
}

// ---- The hand form, byte by byte --------------------------------------------------------

struct HandBlock {
    std::string bytes;
    size_t unitCount, tableSize, offset2, menuSize, menuHandler, childCount0, eventCount,
        secondHandler, buttonSize, firstId;
};

HandBlock BuildHandBlock() {
    const std::string record0 = D(0x00010001) + D(0) + N(16) + Z("") + Z("")  // head
        + D(0) + D(10) + D(20) + D(300) + D(200) + D(0)                     // slot, rect, cursor slot
        + D(0) + D(1) + D(0x16000004)                                       // parent, children
        + L(N(4)) + Z("") + D(0) + D(kUnitVisible) + D(0)                   // cursor, tag, flags, tab order
        + D(1) + D(0) + D(0)                                                // event 0 -> handler 0
        + N(20);                                                            // no unit data
    const std::string menu = D(0x00010003) + D(0) + N(16) + Z("") + Z("")
        + D(2) + D(0) + D(kMenuHidden | kMenuChecked) + Z("\xce\xc4\xbc\xfe")  // "文件"
        + D(8) + N(16);
    const std::string buttonHead = D(0x0001000b) + D(0) + N(16) + Z("按钮_甲") + Z("r")
        + D(0) + D(static_cast<uint32_t>(-5)) + D(6) + D(70) + D(24) + D(0) + D(0) + D(0)
        + L(N(4)) + Z("t") + D(0) + D(kUnitVisible | kUnitTabStop) + D(3);
    const std::string buttonEvents = D(3) + D(static_cast<uint32_t>(-9)) + D(16) + D(0) + D(0xffffffff) + D(1) + D(0);
    const std::string button = buttonHead + buttonEvents + N(20)
        + D(1) + D(1) + D(1) + D(1) + L("") + L("") + L("\xc8\xb7\xb6\xa8");  // "确定"

    const uint32_t off1 = static_cast<uint32_t>(4 + record0.size());
    const uint32_t off2 = static_cast<uint32_t>(off1 + 4 + menu.size());
    const std::string table = D(0x06000002) + D(0x26000003) + D(0x16000004) + D(0) + D(off1) + D(off2)
        + L(record0) + L(menu) + L(button);
    HandBlock h;
    const std::string head = D(8) + D(0x52000001) + D(0) + D(0x11223344) + D(5) + L("\xb4\xb0") + L("");
    h.bytes = head + D(3) + D(static_cast<uint32_t>(table.size())) + table;
    h.unitCount = head.size();
    h.tableSize = h.unitCount + 4;
    h.firstId = h.tableSize + 4;
    h.offset2 = h.firstId + 20;
    const size_t records = h.firstId + 24;
    h.childCount0 = records + 4 + 26 + 4 + 16 + 4 + 4;
    h.menuSize = records + off1;
    h.menuHandler = h.menuSize + 4 + 26 + 12 + 5;
    h.buttonSize = records + off2;
    h.eventCount = h.buttonSize + 4 + buttonHead.size();
    h.secondHandler = h.eventCount + 4 + 12;
    return h;
}

void PutD(std::string& s, size_t at, uint32_t v) { memcpy(&s[at], &v, 4); }

FormDataImage Image(const std::string& bytes, uintptr_t base = 0x1000, uint32_t codeSize = 24) {
    return FormDataImage{reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()),
                         base, codeSize};
}

}  // namespace

TEST_CASE("the generator writes the hand form exactly as laid out") {
    HandBlock h = BuildHandBlock();
    CHECK(Hex(Bytes(kHandForm)) == Hex(h.bytes));
    CHECK(kHandForm.handlerCodeSize == 3 * kHandlerStubSize);
    CHECK(kHandForm.handlerBase % kHandlerStubSize == 0);
}

TEST_CASE("the reader reads every field of the hand-written block and relocates its handlers") {
    HandBlock h = BuildHandBlock();
    std::vector<FormWindow> windows = Read(Image(h.bytes, 0x40000, 24));
    REQUIRE(windows.size() == 1);
    const FormWindow& w = windows[0];
    CHECK(w.id == 0x52000001);
    CHECK(w.Word1 == 0x11223344);
    CHECK(w.Word2 == 5);
    CHECK(w.WindowName == "窗");
    CHECK(w.WindowRemark == "");
    REQUIRE(w.definition.size() == 3);

    const FormRecord& r0 = w.definition[0];
    CHECK(r0.id == 0x06000002);
    CHECK_FALSE(r0.isMenu);
    CHECK(r0.UnitTypeId == kTypeWindow);
    CHECK(r0.Left == 10);
    CHECK(r0.Top == 20);
    CHECK(r0.Width == 300);
    CHECK(r0.Height == 200);
    CHECK(r0.ChildIds == std::vector<uint32_t>{0x16000004});
    CHECK(Str(r0.MouseCursor) == N(4));
    CHECK(r0.UnitFlags == kUnitVisible);
    REQUIRE(r0.EventBindings.size() == 1);
    CHECK(r0.EventBindings[0].EventNumber == 0);
    CHECK(r0.EventBindings[0].Handler == 0x40000);
    CHECK(r0.UnitData.empty());

    const FormRecord& m = w.definition[1];
    CHECK(m.isMenu);
    CHECK(m.UnitTypeId == kTypeMenu);
    CHECK(m.Name == "");
    CHECK(m.ShortcutIndex == 2);
    CHECK(m.Level == 0);
    CHECK(m.MenuFlags == (kMenuHidden | kMenuChecked));
    CHECK(m.Caption == "文件");
    CHECK(m.Handler == 0x40008);

    const FormRecord& b = w.definition[2];
    CHECK_FALSE(b.isMenu);
    CHECK(b.UnitTypeId == kTypeButton);
    CHECK(b.Name == "按钮_甲");
    CHECK(b.Remark == "r");
    CHECK(b.Left == -5);
    CHECK(b.Top == 6);
    CHECK(b.Tag == "t");
    CHECK(b.UnitFlags == (kUnitVisible | kUnitTabStop));
    CHECK(b.TabOrder == 3);
    CHECK(b.ChildIds.empty());
    REQUIRE(b.EventBindings.size() == 3);
    CHECK(b.EventBindings[0].EventNumber == -9);
    CHECK(b.EventBindings[0].Handler == 0x40010);
    CHECK(b.EventBindings[1].Handler == 0);  // stored -1
    CHECK(b.EventBindings[2].Handler == 0x40000);
    CHECK(FindEventHandler(b, 1) == 0x40000);
    CHECK(FindEventHandler(b, 0) == 0);
    CHECK(FindEventHandler(b, 5) == 0);
    CHECK(DumpData(b.UnitTypeId, Str(b.UnitData)) ==
          "v=1 ButtonType=1 HAlign=1 VAlign=1 Picture=[] Font=() Caption=\"确定\"");
    // Nothing is taken from the stored run-time slots.
    CHECK(b.ObjectSlot == nullptr);
    CHECK(b.CursorSlot == nullptr);
    CHECK(w.records.size() == 3);
}

TEST_CASE("stub k reaches handler k with the event's arguments and hands back its result") {
    std::vector<FormWindow> windows = Read(kTestForm);
    const uintptr_t base = kTestForm.handlerBase;
    const FormRecord& window = RecordOf(windows, 0x52010004, 0x06010003);
    CHECK(FindEventHandler(window, 0) == base);
    int before = g_created;
    reinterpret_cast<void (*)()>(FindEventHandler(window, 0))();
    CHECK(g_created == before + 1);

    const FormRecord& item = RecordOf(windows, 0x52010004, 0x2601589f);
    before = g_menu;
    reinterpret_cast<void (*)()>(item.Handler)();
    CHECK(g_menu == before + 1);

    const FormRecord& url = RecordOf(windows, 0x52010004, 0x26010087);
    CHECK(url.Handler == base + 16);
    CHECK(reinterpret_cast<int (*)(int, int)>(url.Handler)(2, 40) == 42);

    const FormRecord& edit = RecordOf(windows, 0x52010004, 0x1601588e);
    CHECK(reinterpret_cast<int (*)(int, int)>(FindEventHandler(edit, -9))(13, 2) == 132);
    CHECK(FindEventHandler(edit, 0) == url.Handler);  // one handler, one stub

    const FormRecord& super = RecordOf(windows, 0x52010004, 0x160158e9);
    CHECK(reinterpret_cast<int (*)()>(FindEventHandler(super, 0))() == 7);
    CHECK(RecordOf(windows, 0x52010004, 0x26010089).Handler == 0);  // the separator
}

TEST_CASE("every unit data layout: generated bytes equal the hand bytes and read back field by field") {
    const std::string font12 = LogFont(-12, 400, 0, 1, "Microsoft YaHei UI");
    const std::string sixColours = D(0x00ececec) + D(0x00808080) + D(0x00ccf4ff) + D(0x009dd7ff) +
                                   D(0x00ffffff) + D(0x00c2eeff);
    const std::string fourColours = D(0) + D(0x00808080) + D(0) + D(0x00ffffff);
    struct Case {
        uint32_t window, unit;
        std::string bytes;
        std::string fields;
    } cases[] = {
        {0x52010004, 0x06010003,
         D(6) + D(3) + D(4) + D(0x112233) + D(1) + D(0) + D(0) + D(3) + D(0) + D(5) + D(1) + D(0) + D(1) +
             D(77) + D(0) + D(1) + D(2) + D(1) + D(1) + L("Cls") + L("\x01\x02") +
             L(std::string("\0\0\1\0\0\0", 6)) + L("\x03") + L("文汇通 v1.0") + L("x"),
         "v=6 BorderStyle=3 BackPictureMode=4 BackColour=112233 MaxButton=1 MinButton=0 ControlBox=0 "
         "Position=3 Movable=0 MusicMode=5 Flag21=1 Flag22=0 Flag23=1 Number25=4d ShowInTaskbar=0 Flag27=1 "
         "Shape=2 AlwaysOnTop=1 Flag30=1 WindowClassName=\"Cls\" BackPicture=[01 02] "
         "Icon=[00 00 01 00 00 00] BackMusic=[03] Title=\"文汇通 v1.0\" Text24=\"x\""},
        {0x52010004, 0x1601588e,
         D(2) + D(3) + D(0x010203) + D(0x040506) + D(0) + D(9) + D(1) + D(2) + D(1) + D(2) + W(0x2523) +
             D(2) + D(1) + D(static_cast<uint32_t>(-5)) + D(500) + D(7) + D(8) +
             L(LogFont(-14, 700, 1, 134, "")) + L("甲\r\n乙") + L("src") + L("col"),
         "v=2 Border=3 TextColour=10203 BackColour=40506 HideSelection=0 MaxLength=9 MultiLine=1 "
         "ScrollBars=2 Alignment=1 InputMode=2 PasswordChar=2523 CaseConversion=2 SpinMode=1 "
         "SpinMin=fffffffb SpinMax=1f4 SelStart=7 SelLength=8 Font=(-14,700,1,134,) "
         "Content=\"甲\r\n乙\" DataSource=\"src\" DataColumn=\"col\""},
        {0x52010004, 0x16015901,
         D(2) + D(1) + D(0x030303) + D(2) + D(0) + L("\xff\xd8\xff\xe0") + L("s") + L("c"),
         "v=2 Border=1 BackColour=30303 DisplayMode=2 PlayAnimation=0 Picture=[FF D8 FF E0] "
         "DataSource=\"s\" DataColumn=\"c\""},
        {0x52010004, 0x16015897,
         D(1) + D(2) + D(0x0a0b0c) + D(0x0d0e0f) + L(LogFont(-9, 0, 0, 0, "")) + L("分组"),
         "v=1 TitleAlign=2 TextColour=a0b0c BackColour=d0e0f Font=(-9,0,0,0,) Caption=\"分组\""},
        {0x52010004, 0x160158ca, D(1) + D(1) + D(2) + D(0) + L("\xab") + L("") + L("编码处理"),
         "v=1 ButtonType=1 HAlign=2 VAlign=0 Picture=[AB] Font=() Caption=\"编码处理\""},
        {0x52010004, 0x1601589b,
         D(1) + D(1) + D(2) + D(3) + D(4) + D(5) + D(6) + D(7) + D(1) + L("\x09") +
             L(LogFont(0, 0, 0, 0, "宋体")) + L("数字转大写(\xa3\xa4)"),
         "v=1 PushLike=1 Flat=2 LeftText=3 HAlign=4 VAlign=5 TextColour=6 BackColour=7 Checked=1 "
         "Picture=[09] Font=(0,0,0,0,宋体) Caption=\"数字转大写(￥)\""},
        {0x52010004, 0x160158ac, D(1) + D(0xaabbcc) + D(2) + D(1) + L("") + L("\x01") + L("\x02\x03"),
         "v=1 BackColour=aabbcc Pick9=2 Flag10=1 Font=() ImageList=[01] Panels=[02 03]"},
        {0x52010004, 0x160158f1, D(1) + D(3) + D(0xff0000) + D(2) + D(0) + D(1) + L("") + L("整数转进制："),
         "v=1 Pick9=3 TextColour=ff0000 Pick12=2 Pick14=0 Flag13=1 Font=() Caption=\"整数转进制：\""},
        {0x52010004, 0x160158e9,
         D(2) + D(1) + D(1) + D(1) + D(2) + D(1) + D(0) + D(1) + D(9) + D(0xa) + D(0) + D(1) + D(1) +
             D(0xe) + D(0xf) + D(0x10) + D(0x11) + D(0x12) + D(0x13) + L("\x14") + L("\x15\x15") +
             L(font12) + L("\x17") + L("\x18") + L("交换↑↓") + L("t") + D(0x1b) + L("\x1c"),
         "v=2 BtnStyle=1 CheckBox=1 Checked=1 AlignStyle=2 PressStyle=1 DrawBorder=0 DrawFocus=1 "
         "TransColorIn=9 TransColorOut=a DefaultColor=0 StandardSound=1 DefaultStyle=1 FgColorOut=e "
         "BkColorOut=f FgColorIn=10 BkColorIn=11 FgColorFocus=12 BkColorFocus=13 PicIn=[14] PicOut=[15 15] "
         "font=(-12,400,0,1,Microsoft YaHei UI) OverSound=[17] ClickSound=[18] caption=\"交换↑↓\" "
         "ToolTip=\"t\" TransColorDisabled=1b PicDisabled=[1C]"},
        {0x52010004, 0x1601589d,
         D(4) + sixColours + D(1) + D(1) + D(2) + D(3) + D(4) + L("\x05") + L("\x06\x06") + D(7) + D(8) +
             L(font12) + L("Microsoft YaHei UI") + D(400),
         "v=4 Colours=ececec,808080,ccf4ff,9dd7ff,ffffff,c2eeff,1,2,3,4 Theme=1 ImageList=[05] "
         "CustomData=[06 06] ExtraColours=7,8 Font=(-12,400,0,1,Microsoft YaHei UI) "
         "FontFace=\"Microsoft YaHei UI\" FontWeight=190"},
        // Older versions: the fields they lack are neither written nor read.
        {0x520158fd, 0x060158fe,
         D(1) + D(1) + D(1) + D(kDefaultColour) + D(0) + D(1) + D(1) + D(1) + D(1) + D(0) + D(0) + D(1) +
             D(0) + D(0) + L("") + L("") + L("") + L("关于") + L(""),
         "v=1 BorderStyle=1 BackPictureMode=1 BackColour=ff000000 MaxButton=0 MinButton=1 ControlBox=1 "
         "Position=1 Movable=1 MusicMode=0 Flag21=0 Flag22=1 Flag23=0 Number25=0 ShowInTaskbar=1 Flag27=0 "
         "Shape=0 AlwaysOnTop=0 Flag30=0 WindowClassName=\"\" BackPicture=[] Icon=[] BackMusic=[] "
         "Title=\"关于\" Text24=\"\""},
        {0x520158fd, 0x16020001,
         D(1) + D(1) + D(0) + D(0xffffff) + D(1) + D(0) + D(0) + D(0) + D(0) + D(0) + W(42) + D(0) + D(0) +
             D(0) + D(100) + D(0) + D(0) + L("") + L("c"),
         "v=1 Border=1 TextColour=0 BackColour=ffffff HideSelection=1 MaxLength=0 MultiLine=0 ScrollBars=0 "
         "Alignment=0 InputMode=0 PasswordChar=2a CaseConversion=0 SpinMode=0 SpinMin=0 SpinMax=64 "
         "SelStart=0 SelLength=0 Font=() Content=\"c\" DataSource=\"\" DataColumn=\"\""},
        {0x520158fd, 0x16020002, D(1) + D(0) + D(kDefaultColour) + D(0) + D(1) + L("\x07"),
         "v=1 Border=0 BackColour=ff000000 DisplayMode=0 PlayAnimation=1 Picture=[07] DataSource=\"\" "
         "DataColumn=\"\""},
        {0x520158fd, 0x16020003,
         D(1) + D(0) + D(0) + D(0) + D(0) + D(0) + D(1) + D(0) + D(kDefaultColour) + D(kDefaultColour) +
             D(1) + D(0) + D(0) + D(0) + D(0xf0f0f0) + D(0) + D(0xffffff) + D(0) + D(0xf0f0f0) + L("") +
             L("") + L("") + L("") + L("") + L("b") + L(""),
         "v=1 BtnStyle=0 CheckBox=0 Checked=0 AlignStyle=0 PressStyle=0 DrawBorder=1 DrawFocus=0 "
         "TransColorIn=ff000000 TransColorOut=ff000000 DefaultColor=1 StandardSound=0 DefaultStyle=0 "
         "FgColorOut=0 BkColorOut=f0f0f0 FgColorIn=0 BkColorIn=ffffff FgColorFocus=0 BkColorFocus=f0f0f0 "
         "PicIn=[] PicOut=[] font=() OverSound=[] ClickSound=[] caption=\"b\" ToolTip=\"\" "
         "TransColorDisabled=ff000000 PicDisabled=[]"},
        {0x520158fd, 0x16020004, D(1) + sixColours + D(2) + fourColours + L("") + L(""),
         "v=1 Colours=ececec,808080,ccf4ff,9dd7ff,ffffff,c2eeff,0,808080,0,ffffff Theme=2 ImageList=[] "
         "CustomData=[] ExtraColours=ff000000,ff000000 Font=() FontFace=\"\" FontWeight=190"},
        {0x520158fd, 0x16020005,
         D(3) + sixColours + D(0) + fourColours + L("") + L("") + D(9) + D(kDefaultColour) + L(""),
         "v=3 Colours=ececec,808080,ccf4ff,9dd7ff,ffffff,c2eeff,0,808080,0,ffffff Theme=0 ImageList=[] "
         "CustomData=[] ExtraColours=9,ff000000 Font=() FontFace=\"\" FontWeight=190"},
    };
    std::vector<FormWindow> windows = Read(kTestForm);
    for (const Case& c : cases) {
        const FormRecord& rec = RecordOf(windows, c.window, c.unit);
        CAPTURE(c.unit);
        CHECK(Hex(Str(rec.UnitData)) == Hex(c.bytes));
        CHECK(DumpData(rec.UnitTypeId, c.bytes) == c.fields);

        // The block fills exactly: cut anywhere, it is refused.
        for (size_t len = 1; len < c.bytes.size(); ++len) {
            CAPTURE(len);
            CHECK(DumpData(rec.UnitTypeId, c.bytes.substr(0, len)) == "refused");
        }
        // A version above the highest this reader knows is refused as such.
        std::string newer = c.bytes;
        PutD(newer, 0, HighestVersion(rec.UnitTypeId) + 1);
        CHECK(DumpData(rec.UnitTypeId, newer) == "refused");
    }
}

TEST_CASE("an empty block gives every default, and the generator writes the same defaults") {
    struct Case {
        uint32_t type, generated;
        std::string fields;
    } cases[] = {
        {kTypeWindow, 0x06000004,
         "v=6 BorderStyle=2 BackPictureMode=1 BackColour=ff000000 MaxButton=0 MinButton=1 ControlBox=1 "
         "Position=1 Movable=1 MusicMode=0 Flag21=0 Flag22=1 Flag23=0 Number25=0 ShowInTaskbar=1 Flag27=0 "
         "Shape=0 AlwaysOnTop=0 Flag30=0 WindowClassName=\"\" BackPicture=[] Icon=[] BackMusic=[] Title=\"\" "
         "Text24=\"\""},
        {kTypeEditBox, 0x16030005,
         "v=2 Border=1 TextColour=0 BackColour=ffffff HideSelection=1 MaxLength=0 MultiLine=0 ScrollBars=0 "
         "Alignment=0 InputMode=0 PasswordChar=2a CaseConversion=0 SpinMode=0 SpinMin=0 SpinMax=64 "
         "SelStart=0 SelLength=0 Font=() Content=\"\" DataSource=\"\" DataColumn=\"\""},
        {kTypePicBox, 0x16030006,
         "v=2 Border=0 BackColour=ff000000 DisplayMode=0 PlayAnimation=1 Picture=[] DataSource=\"\" "
         "DataColumn=\"\""},
        {kTypeGroupBox, 0x16030009, "v=1 TitleAlign=0 TextColour=0 BackColour=ff000000 Font=() Caption=\"\""},
        {kTypeButton, 0x1603000b, "v=1 ButtonType=0 HAlign=1 VAlign=1 Picture=[] Font=() Caption=\"\""},
        {kTypeRadioBox, 0x1603000d,
         "v=1 PushLike=0 Flat=0 LeftText=0 HAlign=0 VAlign=1 TextColour=0 BackColour=ff000000 Checked=0 "
         "Picture=[] Font=() Caption=\"\""},
        {kTypeStatusBar, 0x16030012, "v=1 BackColour=ff000000 Pick9=0 Flag10=0 Font=() ImageList=[] Panels=[]"},
        {kTypeTransLabel, 0x16030015,
         "v=1 Pick9=0 TextColour=0 Pick12=0 Pick14=1 Flag13=0 Font=() Caption=\"透明标签\""},
        {kTypeSuperBtn, 0x16030051,
         "v=2 BtnStyle=0 CheckBox=0 Checked=0 AlignStyle=0 PressStyle=0 DrawBorder=1 DrawFocus=0 "
         "TransColorIn=ff000000 TransColorOut=ff000000 DefaultColor=1 StandardSound=0 DefaultStyle=0 "
         "FgColorOut=0 BkColorOut=f0f0f0 FgColorIn=0 BkColorIn=ffffff FgColorFocus=0 BkColorFocus=f0f0f0 "
         "PicIn=[] PicOut=[] font=() OverSound=[] ClickSound=[] caption=\"\" ToolTip=\"\" "
         "TransColorDisabled=ff000000 PicDisabled=[]"},
        {kTypeSupperMenu, 0x16030041,
         "v=4 Colours=ececec,808080,ccf4ff,9dd7ff,ffffff,c2eeff,0,808080,0,ffffff Theme=0 ImageList=[] "
         "CustomData=[] ExtraColours=ff000000,ff000000 Font=() FontFace=\"\" FontWeight=190"},
    };
    std::vector<FormWindow> windows = Read(kTestForm);
    for (const Case& c : cases) {
        CAPTURE(c.type);
        CHECK(DumpData(c.type, "") == c.fields);
        const FormRecord& rec = RecordOf(windows, 0x52000003, c.generated);
        CHECK(rec.UnitTypeId == c.type);
        CHECK_FALSE(rec.UnitData.empty());
        CHECK(DumpData(c.type, Str(rec.UnitData)) == c.fields);
    }
    // A group box stored without data has no caption.
    const FormRecord& group = RecordOf(windows, 0x52010004, 0x160158a6);
    CHECK(group.UnitData.empty());
    CHECK(DumpData(kTypeGroupBox, "") == DumpData(kTypeGroupBox, Str(group.UnitData)));
}

TEST_CASE("unit data that cannot hold its version, or a font of another size, is refused") {
    for (uint32_t type : kAllTypes) {
        CAPTURE(type);
        CHECK(DumpData(type, "\x01") == "refused");
        CHECK(DumpData(type, std::string("\x01\x00\x00", 3)) == "refused");
    }
    const std::string groupHead = D(1) + D(0) + D(0) + D(kDefaultColour);
    CHECK(DumpData(kTypeGroupBox, groupHead + L(std::string(59, 'f')) + L("")) == "refused");
    CHECK(DumpData(kTypeGroupBox, groupHead + L(std::string(61, 'f')) + L("")) == "refused");
    CHECK(DumpData(kTypeGroupBox, groupHead + L(LogFont(-1, 0, 0, 0, "A")) + L("")) ==
          "v=1 TitleAlign=0 TextColour=0 BackColour=ff000000 Font=(-1,0,0,0,A) Caption=\"\"");
    // A length that points past the end is refused, not read.
    CHECK(DumpData(kTypeGroupBox, groupHead + D(0) + D(0xfffffff0) + "ab") == "refused");
}

TEST_CASE("the test form reads back with every record in its stored order") {
    std::vector<FormWindow> windows = Read(kTestForm);
    REQUIRE(windows.size() == 3);
    CHECK(windows[0].id == 0x52010004);
    CHECK(windows[1].id == 0x520158fd);
    CHECK(windows[2].id == 0x52000003);
    const FormWindow& w = windows[0];
    CHECK(w.Word1 == 1);
    CHECK(w.Word2 == 0xfffffffe);
    const uint32_t order[] = {0x06010003, 0x2601589e, 0x2601589f, 0x26010086, 0x26010087, 0x26010089,
                              0x160158a6, 0x160158e9, 0x1601588e, 0x160158ca, 0x1601589b, 0x160158f1,
                              0x160158ac, 0x1601589d, 0x16015901, 0x160158e8, 0x160158e7, 0x16000099,
                              0x26012a54, 0x16015897};
    REQUIRE(w.definition.size() == sizeof order / sizeof order[0]);
    for (size_t i = 0; i < w.definition.size(); ++i) {
        CAPTURE(i);
        CHECK(w.definition[i].id == order[i]);
        CHECK(w.definition[i].isMenu == ((order[i] >> 24) == 0x26));
        CHECK(FindRecordIndex(w.definition, order[i]) == static_cast<int>(i));
    }
    CHECK(FindRecordIndex(w.definition, 0x16015898) == -1);

    int first = 0, count = 0;
    REQUIRE(FirstMenuRun(w.definition, &first, &count));
    CHECK(first == 1);
    CHECK(count == 5);
    CHECK_FALSE(FirstMenuRun(windows[1].definition, &first, &count));

    const FormRecord& about = RecordOf(windows, 0x52010004, 0x2601589e);
    CHECK(about.Caption == "关于作者");
    CHECK(about.Level == 0);
    CHECK(about.MenuFlags == 0);
    CHECK(about.Handler == 0);
    const FormRecord& author = RecordOf(windows, 0x52010004, 0x2601589f);
    CHECK(author.Level == 1);
    CHECK(author.ShortcutIndex == 5);
    CHECK(author.Caption == "作者");
    CHECK(author.Handler == kTestForm.handlerBase + 8);
    const FormRecord& hidden = RecordOf(windows, 0x52010004, 0x26010086);
    CHECK(hidden.Name == "");
    CHECK(hidden.Caption == "菜单_加密解密");
    CHECK(hidden.MenuFlags == kMenuHidden);
    CHECK(RecordOf(windows, 0x52010004, 0x26010087).MenuFlags == (kMenuDisabled | kMenuChecked));
    CHECK(RecordOf(windows, 0x52010004, 0x26010089).Caption == "-");

    const FormRecord& window = w.definition[0];
    CHECK(window.Left == 50);
    CHECK(window.Width == 663);
    CHECK(window.Height == 434);
    CHECK(window.ChildIds == std::vector<uint32_t>{0x160158a6, 0x1601588e, 0x160158ca, 0x160158ac, 0x1601589d,
                                                   0x16015901, 0x160158e7, 0x16000099, 0x16015897});
    REQUIRE(window.EventBindings.size() == 2);
    CHECK(window.EventBindings[1].EventNumber == 1);
    CHECK(window.EventBindings[1].Handler == 0);

    const FormRecord& group = RecordOf(windows, 0x52010004, 0x160158a6);
    CHECK(group.Name == "分组框_编码处理");
    CHECK(group.ChildIds == std::vector<uint32_t>{0x160158e9, 0x1601589b, 0x160158f1, 0x160158e8});
    const FormRecord& super = RecordOf(windows, 0x52010004, 0x160158e9);
    CHECK(super.ParentId == 0x160158a6);
    CHECK(super.Left == 7);
    CHECK(super.Top == 10);

    const FormRecord& edit = RecordOf(windows, 0x52010004, 0x1601588e);
    CHECK(edit.Name == "编辑框_QZ输入");
    CHECK(edit.Remark == "输入");
    CHECK(edit.Tag == "标记");
    CHECK(edit.TabOrder == 2);
    CHECK(edit.UnitFlags == (kUnitVisible | kUnitTabStop));
    CHECK(edit.ParentId == 0);
    CHECK(Str(edit.MouseCursor) == N(4));
    const FormRecord& button = RecordOf(windows, 0x52010004, 0x160158ca);
    CHECK(button.UnitFlags == (kUnitVisible | kUnitDisabled | kUnitTabStop));
    CHECK(Hex(Str(button.MouseCursor)) == "01 00 00 00 02");
    CHECK(RecordOf(windows, 0x52010004, 0x16015901).Top == -9);

    // Bindings borrowed from a unit of the same type; a unit of another type keeps its own.
    const std::vector<FormRecord>& recs = w.definition;
    const FormRecord& borrower = RecordOf(windows, 0x52010004, 0x160158e8);
    CHECK(FollowEventSource(recs, &borrower)->id == 0x160158e9);
    CHECK(FindEventHandler(*FollowEventSource(recs, &borrower), 0) == kTestForm.handlerBase + 24);
    const FormRecord& other = RecordOf(windows, 0x52010004, 0x160158e7);
    CHECK(FollowEventSource(recs, &other) == &other);

    const FormRecord& unknown = RecordOf(windows, 0x52010004, 0x16000099);
    CHECK(unknown.UnitTypeId == 0x00990001);
    CHECK(UnitTypeName(unknown.UnitTypeId) == nullptr);
    CHECK(Hex(Str(unknown.UnitData)) == "01 02 03 04");
    CHECK(std::string(UnitTypeName(kTypeSupperMenu)) == "SupperMenu");
}

TEST_CASE("event sources that run in a cycle stop instead of looping") {
    std::vector<FormRecord> recs(3);
    for (int i = 0; i < 3; ++i) {
        recs[i].id = 0x16000001 + i;
        recs[i].UnitTypeId = kTypeButton;
        recs[i].EventSourceId = 0x16000001 + (i + 1) % 3;
    }
    const FormRecord* end = FollowEventSource(recs, &recs[0]);
    CHECK(end != nullptr);
    recs[1].EventSourceId = 0x16000077;  // names nothing: the chain ends at record 1
    CHECK(FollowEventSource(recs, &recs[0]) == &recs[1]);
}

TEST_CASE("malformed blocks are refused, never read past their end") {
    const HandBlock h = BuildHandBlock();
    std::vector<FormWindow> windows;
    REQUIRE(ReadFormData(Image(h.bytes), &windows));

    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
    } cases[] = {
        {"window table size not a multiple of 8", 0, 12},
        {"window table larger than the block", 0, 0x7ffffff8},
        {"no records", h.unitCount, 0},
        {"more records than the table holds", h.unitCount, 0x20000000},
        {"unit table one byte short", h.tableSize, static_cast<uint32_t>(h.bytes.size() - h.tableSize - 4 - 1)},
        {"unit table one byte long", h.tableSize, static_cast<uint32_t>(h.bytes.size() - h.tableSize - 4 + 1)},
        {"record offset past the records", h.offset2, 0xfffffffe},
        {"record size past the records", h.buttonSize, 0x7fffffff},
        {"record too short for its head", h.menuSize, 10},
        {"record ends inside its name", h.buttonSize, 24 + 3},
        {"child count past the record", h.childCount0, 0x40000000},
        {"event count past the record", h.eventCount, 0x20000000},
        {"handler offset inside a stub", h.menuHandler, 4},
        {"handler offset past the stubs", h.menuHandler, 24},
        {"negative handler offset other than -1", h.secondHandler, 0xfffffffe},
        {"the window's own record is a menu record", h.firstId, 0x26000002},
    };
    for (const Case& c : cases) {
        CAPTURE(c.what);
        std::string bytes = h.bytes;
        PutD(bytes, c.at, c.value);
        CHECK_FALSE(ReadFormData(Image(bytes), &windows));
        CHECK(windows.empty());
    }
    // The last window ends exactly at the end: any cut, or one byte more, is refused.
    for (size_t len = 0; len < h.bytes.size(); ++len) {
        CAPTURE(len);
        CHECK_FALSE(ReadFormData(Image(h.bytes.substr(0, len)), &windows));
    }
    CHECK_FALSE(ReadFormData(Image(h.bytes + '\0'), &windows));
    CHECK_FALSE(ReadFormData(FormDataImage{nullptr, 0, 0, 0}, &windows));
    // Handler offsets are checked against the code they name.
    CHECK_FALSE(ReadFormData(Image(h.bytes, 0x1000, 16), &windows));
    CHECK(ReadFormData(Image(h.bytes, 0x1000, 17 + 7), &windows));
}

TEST_CASE("no damage to a block makes the reader misbehave") {
    const std::string block = Bytes(kHandForm);
    std::vector<FormWindow> windows;
    int read = 0;
    for (size_t i = 0; i < block.size(); ++i) {
        for (uint8_t v : {uint8_t(0x00), uint8_t(0xff), uint8_t(block[i] ^ 0x80), uint8_t(block[i] + 1)}) {
            std::string bytes = block;
            bytes[i] = static_cast<char>(v);
            if (ReadFormData(Image(bytes), &windows)) ++read;
        }
    }
    CHECK(read > 0);  // damage to names and values still reads
    std::vector<FormWindow> full = Read(kTestForm);
    for (const FormRecord& rec : full[0].definition) {
        const std::string data = Str(rec.UnitData);
        for (size_t i = 0; i < data.size(); ++i) {
            std::string bytes = data;
            bytes[i] = static_cast<char>(bytes[i] ^ 0xa5);
            DumpData(rec.UnitTypeId, bytes);
        }
    }
}

TEST_CASE("the registry finds windows, and a fresh working table has empty slots") {
    LoadFormData(kTestForm);
    REQUIRE(FormWindows().size() == 3);
    CHECK(FindFormWindow(0x52999999) == nullptr);
    FormWindow* about = FindFormWindow(0x520158fd);
    REQUIRE(about != nullptr);
    CHECK(about == &FormWindows()[1]);

    FormWindow* mainWindow = FindFormWindow(0x52010004);
    REQUIRE(mainWindow != nullptr);
    int marker = 0;
    FormRecord* edit = FindRecord(mainWindow->records, 0x1601588e);
    REQUIRE(edit != nullptr);
    edit->ObjectSlot = &marker;
    edit->Caption = "changed";
    mainWindow->records[3].PopupMenus[0] = &marker;
    CHECK(FindRecord(mainWindow->definition, 0x1601588e)->ObjectSlot == nullptr);
    ResetWorkingRecords(*mainWindow);
    CHECK(FindRecord(mainWindow->records, 0x1601588e)->ObjectSlot == nullptr);
    CHECK(FindRecord(mainWindow->records, 0x1601588e)->Caption == "");
    CHECK(mainWindow->records[3].PopupMenus[0] == nullptr);
    CHECK(FindRecord(mainWindow->records, 0x16015898) == nullptr);

    LoadFormData(kHandForm);  // a second read replaces the registry
    CHECK(FormWindows().size() == 1);
    CHECK(FindFormWindow(0x52010004) == nullptr);
}

CHILD_CASE(form_data_cut_short) {
    FormDataImage image = kHandForm;
    image.size -= 1;
    LoadFormData(image);
}

CHILD_CASE(form_data_whole) { LoadFormData(kHandForm); }

// Start-up reads the block that the program header names, through the runtime's own step.
CHILD_CASE(form_data_at_startup) {
    UseFormData(kHandForm);
    // A base other than the image's leaves no handler offset to trust.
    if (ReadProgramFormData(kHandForm.data, kHandForm.size, kHandForm.handlerBase + 8)) ExitProcess(6);
    InitialiseRuntime(nullptr);
    FormWindow* w = FindFormWindow(0x52000001);
    if (!w || w->definition[1].Handler != kHandForm.handlerBase + 8) ExitProcess(5);
}

CHILD_CASE(form_data_cut_at_startup) {
    FormDataImage image = kHandForm;
    image.size -= 1;
    UseFormData(image);
    InitialiseRuntime(nullptr);
}

TEST_CASE("a malformed block at start-up is the fatal error, a sound one is not") {
    const char* message = "错误信息：载入窗口模板数据段出错!";
    for (const char* name : {"form_data_cut_short", "form_data_cut_at_startup"}) {
        CAPTURE(name);
        ChildRun bad = RunChildCase(name);
        CHECK(bad.exitCode == -1);
        CHECK(bad.output.find(message) != std::string::npos);
    }
    for (const char* name : {"form_data_whole", "form_data_at_startup"}) {
        CAPTURE(name);
        ChildRun good = RunChildCase(name);
        CHECK(good.exitCode == 0);
        CHECK(good.output.empty());
    }
}
