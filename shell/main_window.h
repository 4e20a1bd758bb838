// Identifiers of the program's windows, units and menus: the contract between the form
// description (resources/program_form.txt) and the handlers.
#pragma once
#include <cstdint>

namespace wht {
const uint32_t kMainWindow = 0x52010004;
const uint32_t kAboutWindow = 0x520158fd;
const uint32_t kMainWindowRecord = 0x06010003;  // the window's own unit record

const uint32_t k编辑框_QZ输入 = 0x1601588e;
const uint32_t k编辑框_357输出 = 0x1601588d;
const uint32_t k分组框_编码处理 = 0x160158a6;
const uint32_t k分组框_进制计算 = 0x16015897;
const uint32_t k分组框_转大小写 = 0x16015903;
const uint32_t k单选框_二进制 = 0x1601589b;
const uint32_t k单选框_八进制 = 0x1601589a;
const uint32_t k单选框_十进制 = 0x16015899;
const uint32_t k单选框_十六进制 = 0x16015898;
const uint32_t k状态条1 = 0x160158ac;

const uint32_t k菜单_加密解密 = 0x26010086;
const uint32_t k菜单_文汇通1 = 0x26010092;
const uint32_t k菜单_文汇通2 = 0x2601009e;
const uint32_t k菜单_取哈希值 = 0x260100ac;
const uint32_t k菜单_一键解码 = 0x260100b3;

// Property numbers the handlers use.
const int32_t kPropLeft = 0, kPropTop = 1, kPropHeight = 3, kPropVisible = 5;
const int32_t kPropContent = 8;     // edit box
const int32_t kPropSelStart = 24;   // edit box
const int32_t kPropContentWide = 29;  // edit box: the content as UTF-16 units
const int32_t kPropChecked = 18;    // radio box
const int32_t kPropStatusText = 14;  // status bar: the line it shows
}  // namespace wht
