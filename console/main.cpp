// wht: the window's conversions on files, pipes and batches. Exit status 0 on success, 1 when
// a conversion or a file fails, 2 for a usage error, 130 when stopped with Ctrl+C.
#include <windows.h>
#include <shellapi.h>

#include <CLI/CLI.hpp>
#include <map>
#include <new>

#include "console/conversions.h"
#include "console/files.h"
#include "console/run.h"
#include "engine/codepage.h"
#include "runtime/error_report.h"
#include "runtime/memory.h"

using namespace wht_console;

namespace {
const char kUsage[] = "用法：wht 名称 [文件…] [-o 输出] [--in gbk|utf-8|utf-16le|auto] [--out gbk|utf-8|utf-16le]；"
                      "wht list 列出全部转换，wht 名称 --help 看说明。";
const char kOutOfMemory[] = "提示：内存不够，这项转换没能做完。";
const int kFailed = 1, kUsageError = 2, kStopped = 130;

std::string FromGbk(const char* gbk) {
    int n = MultiByteToWideChar(936, 0, gbk, -1, nullptr, 0);
    std::wstring wide(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(936, 0, gbk, -1, &wide[0], n);
    return Narrow(wide);
}

const char* FormName(const Conversion& c, bool output) {
    Form f = output ? c.writes : c.reads;
    if (f == Form::kBytes) return "字节";
    if (output && c.defaultOut == TextEncoding::kGbk) return "文本（默认GBK）";
    return "文本";
}

int Usage(const std::string& message) {
    WriteError("wht: " + message);
    WriteError(kUsage);
    return kUsageError;
}

void PrintList() {
    std::string table;
    for (const Conversion& c : Conversions())
        table += std::string(c.name) + "\t" + FromGbk(c.caption) + "\t" + FormName(c, false) + "\t" + FormName(c, true) + "\n";
    WriteText(table);
}

BOOL WINAPI OnControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    stopRequested = true;
    return TRUE;
}

// A fatal report of the runtime goes to standard error: a console program shows no boxes.
int ReportToStandardError(const char* boxText) {
    WriteError("wht: " + FromGbk(boxText));
    ExitProcess(kFailed);
    return 1;
}

struct Arguments {
    std::vector<std::string> files;
    std::string output;
    std::string in = "auto", out;
};

TextEncoding EncodingNamed(const std::string& name) {
    static const std::map<std::string, TextEncoding> names = {{"auto", TextEncoding::kAuto},
                                                              {"gbk", TextEncoding::kGbk},
                                                              {"utf-8", TextEncoding::kUtf8},
                                                              {"utf-16le", TextEncoding::kUtf16Le}};
    auto it = names.find(name);
    return it == names.end() ? TextEncoding::kAuto : it->second;
}

// One input into one output; the status for it.
int ConvertOne(const Conversion& c, const std::string& file, const std::string& target, const RunOptions& options,
               bool nameAfter) {
    try {
        Input input(file);
        Output output(target);
        {
            AllocationFailureThrows outOfMemory;
            RunConversion(c, input, output, options);
        }
        // A console window shows the result and then a line of its own; a file or pipe gets
        // the result's bytes alone, unless several digests are listed one per line.
        std::string after = nameAfter ? "  " + file + "\n" : output.IsConsole() ? "\n" : "";
        if (!after.empty()) {
            if (output.IsConsole()) {
                std::wstring wide = Widen(after);
                output.WriteUnits(reinterpret_cast<const uint8_t*>(wide.data()), wide.size());
            } else {
                output.Write(reinterpret_cast<const uint8_t*>(after.data()), after.size());
            }
        }
        output.Commit();
        return 0;
    } catch (const FileError& e) {
        WriteError(std::string("wht: ") + e.what());
    } catch (const ConversionRefused& e) {
        WriteError(e.message);
    } catch (const std::bad_alloc&) {
        WriteError(kOutOfMemory);
    } catch (const Stopped&) {
        WriteError("wht: 已中断，没有留下输出文件。");
        return kStopped;
    }
    return kFailed;
}

int Convert(const Conversion& c, Arguments& a) {
    if (a.files.empty()) a.files.push_back("-");
    bool toFolder = !a.output.empty() && IsDirectory(a.output);
    if (a.files.size() > 1 && !a.output.empty() && !toFolder)
        return Usage("几个输入文件的结果要放进一个文件夹：-o 后面要是已有的文件夹。");
    RunOptions options;
    options.in = EncodingNamed(a.in);
    options.out = a.out.empty() ? TextEncoding::kAuto : EncodingNamed(a.out);
    options.progress = IsConsoleHandle(GetStdHandle(STD_ERROR_HANDLE));
    bool listDigests = c.slicing == Slicing::kDigest && a.files.size() > 1 && a.output.empty();
    int status = 0;
    for (const std::string& file : a.files) {
        if (toFolder && file == "-") return Usage("标准输入没有文件名，不能写进文件夹。");
        std::string target = toFolder ? a.output + "\\" + BaseName(file) : a.output;
        int one = ConvertOne(c, file, target, options, listDigests);
        if (one == kStopped) return one;
        if (one) status = one;
    }
    return status;
}

std::vector<std::string> WideArguments() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(Narrow(argv[i]));
    LocalFree(argv);
    return args;
}
}  // namespace

int main() {
    SetErrorReportHook(ReportToStandardError);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetConsoleCtrlHandler(OnControl, TRUE);
    std::vector<std::string> args = WideArguments();
    if (args.size() >= 2 && args[1][0] != '-' && args[1] != "list" && !FindConversion(args[1]))
        return Usage("没有名叫“" + args[1] + "”的转换。");

    CLI::App app("文汇通的转换，用在文件、管道和批处理上。", "wht");
    app.require_subcommand(1);
    // A path such as /tmp/a.txt is a file, not an option (Linux paths under Wine).
    app.allow_windows_style_options(false);
    app.footer("例如：wht sha256 download.iso；wht gbk-to-utf8 in.txt -o out.txt；printf 中文 | wht url-encode-gbk");
    app.add_subcommand("list", "列出全部转换：名称、窗口里的标题、读什么、写什么");
    Arguments a;
    for (const Conversion& c : Conversions()) {
        std::string what = FromGbk(c.caption) + "（读" + FormName(c, false) + "，写" + FormName(c, true) + "）";
        CLI::App* sub = app.add_subcommand(c.name, what);
        std::istringstream aliases(c.aliases);
        for (std::string alias; aliases >> alias;) sub->alias(alias);
        sub->footer(std::string("例如：") + c.example);
        sub->add_option("files", a.files, "输入文件；没有或为 - 时读标准输入");
        sub->add_option("-o,--output", a.output, "结果写进这个文件（几个输入时：文件夹）");
        if (c.reads == Form::kText)
            sub->add_option("--in", a.in, "输入的编码（auto：BOM，否则有效的UTF-8，否则GBK）")
                ->check(CLI::IsMember({"auto", "gbk", "utf-8", "utf-16le"}));
        if (c.writes == Form::kText)
            sub->add_option("--out", a.out, "输出的编码（默认：文件和管道用UTF-8，控制台窗口照它自己的方式）")
                ->check(CLI::IsMember({"gbk", "utf-8", "utf-16le"}));
    }

    std::vector<const char*> argv;
    for (const std::string& s : args) argv.push_back(s.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp&) {
        CLI::App* shown = &app;
        for (CLI::App* sub : app.get_subcommands()) shown = sub;
        WriteText(shown->help());
        return 0;
    } catch (const CLI::ParseError& e) {
        return Usage(e.what());
    }
    CLI::App* chosen = app.get_subcommands().front();
    if (chosen->get_name() == "list") {
        PrintList();
        return 0;
    }
    return Convert(*FindConversion(chosen->get_name()), a);
}
