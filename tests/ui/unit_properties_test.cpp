// Unit property access: the common properties 0-7, a type's own properties through the
// unit, the window's own properties, menu item properties with the menu bar rebuilt, and
// the fatal errors for windows and units that are not loaded.
#include <windows.h>

#include <cstring>

#include "frame_test_support.h"
#include "runtime/command_args.h"
#include "runtime/runtime_services.h"
#include "test_support.h"
#include "ui/unit_properties.h"
#include "ui/window_loader.h"
#include "ui/window_registry.h"

using namespace frame;

namespace {
ByteSetVar Bytes(const char* bytes, int n) {
    uint8_t* block = NewByteSetBlock(n);
    memcpy(ByteSetBytes(block), bytes, n);
    return ByteSetVar(block);
}

std::string ReadBytes(uint32_t window, uint32_t unit, int32_t n) {
    ByteSetVar b(reinterpret_cast<ByteSet>(static_cast<uint32_t>(ReadUnitProperty(window, unit, n, 0xFFFFFFFF))));
    return b.empty() ? std::string() : std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

std::string MenuText(HMENU menu, UINT item, UINT flags) {
    wchar_t text[128] = L"";
    GetMenuStringW(menu, item, text, 128, flags);
    return WideToGbkString(text);
}
}  // namespace

TEST_CASE("position and size read the live windows: the window on the screen, units in their parent") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    struct {
        uint32_t unit;
        int32_t property, expected;
    } const cases[] = {
        {0, kPropertyLeft, 100},         {0, kPropertyTop, 100},
        {kMainRecord, kPropertyWidth, 400}, {kMainRecord, kPropertyHeight, 300},
        {kUnitA, kPropertyLeft, 220},    {kUnitA, kPropertyTop, 20},
        {kUnitA, kPropertyWidth, 60},    {kUnitA, kPropertyHeight, 20},
        {kContainer, kPropertyLeft, 10}, {kContainer, kPropertyTop, 20},
        {kInside, kPropertyLeft, 5},     {kInside, kPropertyTop, 6},  // in the container
        {kUnitA, kPropertyVisible, 1},   {kHiddenUnit, kPropertyVisible, 0},
        {kUnitA, kPropertyDisabled, 0},  {kUnitA, 99, 0},  // past the unit's own properties
    };
    for (const auto& c : cases) {
        CAPTURE(c.unit);
        CAPTURE(c.property);
        CHECK(ReadUnitInt(kMain, c.unit, c.property) == c.expected);
    }
    DestroyAllWindows();
}

TEST_CASE("writing one coordinate moves or sizes the window and keeps the other") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    struct {
        uint32_t unit;
        int32_t property, value, other, otherExpected;
    } const cases[] = {
        {kUnitA, kPropertyLeft, 230, kPropertyTop, 20},
        {kUnitA, kPropertyTop, 25, kPropertyLeft, 230},
        {kUnitA, kPropertyWidth, 70, kPropertyHeight, 20},
        {kUnitA, kPropertyHeight, 30, kPropertyWidth, 70},
        {kInside, kPropertyLeft, 7, kPropertyTop, 6},
        {0, kPropertyTop, 120, kPropertyLeft, 100},
        {0, kPropertyWidth, 420, kPropertyHeight, 300},
    };
    for (const auto& c : cases) {
        CAPTURE(c.unit);
        CAPTURE(c.property);
        WriteUnitInt(kMain, c.unit, c.property, c.value);
        CHECK(ReadUnitInt(kMain, c.unit, c.property) == c.value);
        CHECK(ReadUnitInt(kMain, c.unit, c.other) == c.otherExpected);
    }
    DestroyAllWindows();
}

TEST_CASE("tag, visible, disabled and mouse pointer") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    LeakCheck leaks;
    CHECK(std::string(ReadUnitText(kMain, kUnitA, kPropertyTag)) == "标记");
    WriteUnitText(kMain, kUnitA, kPropertyTag, "新的标记");
    CHECK(std::string(ReadUnitText(kMain, kUnitA, kPropertyTag)) == "新的标记");
    WriteUnitText(kMain, kUnitA, kPropertyTag, "");
    CHECK(ReadUnitText(kMain, kUnitA, kPropertyTag).get() == nullptr);  // empty is null

    WriteUnitBool(kMain, kContainer, kPropertyVisible, false);
    CHECK(ReadUnitBool(kMain, kContainer, kPropertyVisible) == false);
    CHECK(ReadUnitBool(kMain, kInside, kPropertyVisible) == false);  // its container is hidden
    WriteUnitBool(kMain, kContainer, kPropertyVisible, true);
    CHECK(ReadUnitBool(kMain, kInside, kPropertyVisible));
    WriteUnitBool(kMain, kHiddenUnit, kPropertyVisible, true);
    CHECK(IsWindowVisible(UnitWindow(kMain, kHiddenUnit)));

    WriteUnitBool(kMain, kUnitA, kPropertyDisabled, true);
    CHECK_FALSE(IsWindowEnabled(UnitWindow(kMain, kUnitA)));
    CHECK(ReadUnitBool(kMain, kUnitA, kPropertyDisabled));
    WriteUnitBool(kMain, kUnitA, kPropertyDisabled, false);
    CHECK(IsWindowEnabled(UnitWindow(kMain, kUnitA)));

    FormRecord* a = FindRecord(FindWindowById(kMain)->records, kUnitA);
    CHECK(ReadBytes(kMain, kUnitA, kPropertyMousePointer) == std::string("\x03\0\0\0", 4));
    {
        ByteSetVar none = Bytes("\0\0\0\0", 4);
        WriteUnitProperty(kMain, kUnitA, kPropertyMousePointer, 0xFFFFFFFF, reinterpret_cast<uintptr_t>(none.block()), 0);
    }
    CHECK(a->CursorSlot == nullptr);
    {
        ByteSetVar cross = Bytes("\x02\0\0\0", 4);
        WriteUnitProperty(kMain, kUnitA, kPropertyMousePointer, 0xFFFFFFFF, reinterpret_cast<uintptr_t>(cross.block()), 0);
    }
    CHECK(a->CursorSlot != nullptr);
    CHECK(ReadBytes(kMain, kUnitA, kPropertyMousePointer) == std::string("\x02\0\0\0", 4));
    CHECK(leaks.leaked() == 0);
    DestroyAllWindows();
}

TEST_CASE("own properties go to the unit in the kind it declares") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    LeakCheck leaks;
    log.clear();
    WriteUnitText(kMain, kUnitA, 8, "甲乙");
    CHECK(std::string(ReadUnitText(kMain, kUnitA, 8)) == "甲乙");
    CHECK(log == "changed:0012:1");  // the unit's own content event, after loading
    log.clear();
    WriteUnitInt(kMain, kUnitA, 9, -42);
    CHECK(ReadUnitInt(kMain, kUnitA, 9) == -42);
    double real = -1.25;
    uint64_t bits;
    memcpy(&bits, &real, 8);
    WriteUnitProperty(kMain, kUnitA, 10, 0xFFFFFFFF, static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32));
    CHECK(ReadUnitProperty(kMain, kUnitA, 10, 0xFFFFFFFF) == bits);
    CHECK(log.empty());  // no "kind:" complaints from the unit
    WriteUnitInt(kMain, kUnitA, 11, 5);  // no such property: ignored
    CHECK(ReadUnitInt(kMain, kUnitA, 11) == 0);
    CHECK(leaks.leaked() == 0);
    DestroyAllWindows();
}

TEST_CASE("the window's own properties") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    HWND main = WindowOf(kMain);
    LeakCheck leaks;
    CHECK(std::string(ReadUnitText(kMain, 0, 8)) == "框架主窗口");
    WriteUnitText(kMain, 0, 8, "新标题");
    CHECK(WindowTextGbk(main) == "新标题");
    CHECK(std::string(ReadUnitText(kMain, kMainRecord, 8)) == "新标题");
    struct {
        int32_t property, value;
    } const kept[] = {{9, 2}, {10, 0x00112233}, {18, 0}, {25, 77}, {28, 1}};
    for (const auto& c : kept) {
        CAPTURE(c.property);
        WriteUnitInt(kMain, 0, c.property, c.value);
        CHECK(ReadUnitInt(kMain, 0, c.property) == c.value);
    }
    WriteUnitBool(kMain, 0, 16, true);  // MaxButton
    CHECK((GetWindowLongW(main, GWL_STYLE) & WS_MAXIMIZEBOX) != 0);
    CHECK(ReadUnitBool(kMain, 0, 16));
    WriteUnitBool(kMain, 0, 29, true);  // AlwaysOnTop
    CHECK((GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    WriteUnitBool(kMain, 0, 29, false);
    CHECK((GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0);
    CHECK(ReadBytes(kMain, 0, 20).empty());  // no icon
    CHECK(ReadUnitInt(kMain, 0, 32) == 0);
    CHECK(leaks.leaked() == 0);
    DestroyAllWindows();
}

TEST_CASE("menu item properties, and the menu bar rebuilt after each change") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    HWND main = WindowOf(kMain);
    LeakCheck leaks;
    struct {
        uint32_t item;
        int32_t property, expected;
    } const reads[] = {
        {kMenuOpen, kMenuPropertyChecked, 0}, {kMenuB, kMenuPropertyChecked, 1},
        {kMenuExit, kMenuPropertyDisabled, 1}, {kMenuOpen, kMenuPropertyDisabled, 0},
        {kMenuPopup, kMenuPropertyVisible, 0}, {kMenuFile, kMenuPropertyVisible, 1},
    };
    for (const auto& c : reads) {
        CAPTURE(c.item);
        CAPTURE(c.property);
        CHECK(ReadUnitInt(kMain, c.item, c.property) == c.expected);
    }
    CHECK(std::string(ReadUnitText(kMain, kMenuOpen, kMenuPropertyCaption)) == "打开");

    WriteUnitText(kMain, kMenuOpen, kMenuPropertyCaption, "开");
    CHECK(MenuText(GetMenu(main), 20001, MF_BYCOMMAND) == "开\tCtrl+O");
    WriteUnitBool(kMain, kMenuOpen, kMenuPropertyChecked, true);
    CHECK((GetMenuState(GetMenu(main), 20001, MF_BYCOMMAND) & MF_CHECKED) != 0);
    WriteUnitBool(kMain, kMenuExit, kMenuPropertyDisabled, false);
    CHECK((GetMenuState(GetMenu(main), 20003, MF_BYCOMMAND) & MF_GRAYED) == 0);

    WriteUnitBool(kMain, kMenuFile, kMenuPropertyVisible, false);
    HMENU bar = GetMenu(main);
    REQUIRE(GetMenuItemCount(bar) == 1);
    CHECK(MenuText(bar, 0, MF_BYPOSITION) == "帮助");
    WriteUnitBool(kMain, kMenuPopup, kMenuPropertyVisible, true);
    bar = GetMenu(main);
    REQUIRE(GetMenuItemCount(bar) == 2);
    CHECK(MenuText(bar, 0, MF_BYPOSITION) == "弹出");
    CHECK(GetMenuItemID(GetSubMenu(bar, 0), 0) == 20005);
    CHECK(ReadUnitBool(kMain, kMenuPopup, kMenuPropertyVisible));
    CHECK(leaks.leaked() == 0);

    // The numbering stays: the item of the once hidden menu still raises its event.
    log.clear();
    SendMessageW(main, WM_COMMAND, 20005, 0);
    CHECK(log == "menu:a:26100006");
    DestroyAllWindows();
}

TEST_CASE("the property services are the service table's entries") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    CHECK(RuntimeServices().ReadUnitProperty(kMain, kUnitA, kPropertyLeft, 0xFFFFFFFF) == 220);
    RuntimeServices().WriteUnitProperty(kMain, kUnitA, kPropertyLeft, 0xFFFFFFFF, 221, 0);
    CHECK(ReadUnitProperty(kMain, kUnitA, kPropertyLeft, 0xFFFFFFFF) == 221);
    DestroyAllWindows();
}

CHILD_CASE(frame_read_not_loaded) {
    UseFrameForm();
    ReadUnitInt(kMain, kUnitA, kPropertyLeft);
}

CHILD_CASE(frame_write_not_loaded) {
    UseFrameForm();
    WriteUnitInt(kMain, kUnitA, kPropertyLeft, 1);
}

CHILD_CASE(frame_read_no_unit) {
    UseFrameForm();
    LoadFormWindow(kMain, nullptr, false);
    ReadUnitInt(kMain, 0x16999999, 8);
}

CHILD_CASE(frame_write_no_unit) {
    UseFrameForm();
    LoadFormWindow(kMain, nullptr, false);
    WriteUnitInt(kMain, 0x16999999, 8, 1);
}

TEST_CASE("property access to a window or unit that is not loaded is a fatal error") {
    struct {
        const char* child;
        const char* text;
    } const cases[] = {
        {"frame_read_not_loaded",
         "错误信息：未载入欲访问窗口组件所在的窗口\r\n\r\n1376780289, 370147346\r\n未找到所指定的窗口\r\n"},
        {"frame_write_not_loaded",
         "错误信息：未载入欲访问窗口组件所在的窗口\r\n\r\n1376780289, 370147346\r\n未找到所指定的窗口\r\n"},
        {"frame_read_no_unit",
         "错误信息：读取组件属性时发现指定窗口尚未载入\r\n\r\n1376780289, 379165081\r\n\"主窗口\"\r\n"
         "未找到所指定的窗口组件\r\n"},
        {"frame_write_no_unit",
         "错误信息：修改组件属性时发现指定窗口尚未载入\r\n\r\n1376780289, 379165081\r\n\"主窗口\"\r\n"
         "未找到所指定的窗口组件\r\n"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.child);
        ChildRun run = RunChildCase(c.child);
        CHECK(run.exitCode == -1);
        CAPTURE(GbkToUtf8(run.output));
        CHECK(run.output.find(c.text) != std::string::npos);
    }
}
