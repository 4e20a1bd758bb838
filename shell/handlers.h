// The main window's event handlers, each named by the unit or menu item whose event calls it.
// The form data binds them; the window framework calls them.
#pragma once

namespace wht {
// The main window.
void 主窗口_创建完毕();
void 主窗口_可否被关闭();
void 主窗口_文件被拖入();
// Lets the main window and every unit in it take dropped files.
void AcceptDroppedFiles();

// Buttons and super buttons.
void 按钮_编码处理_被单击();
void 按钮_进制计算_被单击();
void 按钮_转大小写_被单击();
void 按钮_编码处理1_被单击();
void 超级按钮_加密解密_被单击();
void 超级按钮_文汇通1_被单击();
void 超级按钮_文汇通2_被单击();
void 超级按钮_取哈希值_被单击();
void 超级按钮_一键解码_被单击();
void 超级按钮_交换上下_被单击();

// The input box.
void 编辑框_QZ输入_按下某键(int keyCode, int shiftState);
void 编辑框_QZ输入_内容被改变();
// Either box: a text another program set was not taken (units, 1 too long, 2 no memory).
void 编辑框_QZ输入_文字被拒绝(int units, int because);
void 编辑框_357输出_文字被拒绝(int units, int because);

// Radio boxes.
void 单选框_二进制_被单击();
void 单选框_八进制_被单击();
void 单选框_十进制_被单击();
void 单选框_十六进制_被单击();
void 单选框_进制转文本_被单击();
void 单选框_文本转进制_被单击();
void 单选框_字母转大写_被单击();
void 单选框_字母转小写_被单击();
void 单选框_数字转大写_被单击();

// Menu items.
void 菜单_打开_被选择();
void 菜单_保存结果_被选择();
void 菜单_文件哈希_被选择();
void 菜单_作者_被选择();
void 菜单_URL加密GBK_被选择();
void 菜单_URL解密GBK_被选择();
void 菜单_URL加密UTF8_被选择();
void 菜单_URL解密UTF8_被选择();
void 菜单_RC4加密_被选择();
void 菜单_RC4解密_被选择();
void 菜单_BASE64加密_被选择();
void 菜单_BASE64解密_被选择();
void 菜单_BASE64编码A_被选择();
void 菜单_BASE64编码B_被选择();
void 菜单_简体一繁体_被选择();
void 菜单_繁体一简体_被选择();
void 菜单_BIG5简体_被选择();
void 菜单_简体BIG5_被选择();
void 菜单_BIG5到繁体_被选择();
void 菜单_繁体到BIG5_被选择();
void 菜单_北京时间一格林威治_被选择();
void 菜单_格林威治一北京_被选择();
void 菜单_ansi一usc2_被选择();
void 菜单_usc2一ansi_被选择();
void 菜单_GB2312一UTF8_被选择();
void 菜单_UTF8一GB2312_被选择();
void 菜单_Ansi一Unicode_被选择();
void 菜单_Unicode一Ansi_被选择();
void 菜单_Ansi一Unicode_str_被选择();
void 菜单_Unicode_str一Ansi_被选择();
void 菜单_Unicode一UTF8_被选择();
void 菜单_UTF8一Unicode_被选择();
void 菜单_取MD2_被选择();
void 菜单_取MD4_被选择();
void 菜单_取MD5_被选择();
void 菜单_取MD5中文_被选择();
void 菜单_取sha1_被选择();
void 菜单_取sha256_被选择();
void 菜单_取sha512_被选择();
void 菜单_取crc32_被选择();
void 菜单_一键编码_被选择();
void 菜单_一键解码_被选择();
void 菜单_乱码恢复_被选择();
void 菜单_复制_被选择();
void 菜单_粘贴_被选择();
void 菜单_清空_被选择();
}  // namespace wht
