// wht: the window's conversions on files, pipes and batches. Exit status 0 on success, 1 when
// a conversion or a file fails (or a checked digest differs), 2 for a usage error, 130 when
// stopped with Ctrl+C. Results go to standard output or -o; messages, one line each, to
// standard error.
#include <CLI/CLI.hpp>
#include <cctype>
#include <map>
#include <new>
#include <set>
#include <sstream>

#include "console/conversions.h"
#include "console/platform.h"
#include "console/run.h"
#include "runtime/error_report.h"
#include "runtime/memory.h"

using namespace wht_console;

namespace {
const char kUsage[] = "用法：wht 名称 [文件…] [-o 输出] [--in gbk|utf-8|utf-16le|utf-16be|auto] [--out gbk|utf-8|utf-16le]；"
                      "wht list 列出全部转换，wht 名称 --help 看说明。";
const char kOutOfMemory[] = "提示：内存不够，这项转换没能做完。";
const int kFailed = 1, kUsageError = 2, kStopped = 130;

const char* FormName(const Conversion& c, bool output) {
    switch (output ? c.writes : c.reads) {
    case Form::kBytes: return "字节";
    case Form::kGbk: return "GBK字节";
    case Form::kUtf8: return "UTF-8字节";
    case Form::kUtf16: return "UTF-16字节";
    case Form::kText: break;
    }
    if (output && c.defaultOut == TextEncoding::kGbk) return "文本（默认GBK）";
    return "文本";
}

int Usage(const std::string& message) {
    WriteError("wht: " + message);
    WriteError(kUsage);
    return kUsageError;
}

// The flag parser words its errors in English and the rest of wht speaks Chinese. The forms
// it uses for a command line gone wrong are few and fixed; any other is shown as it is.
std::string ParseErrorMessage(const CLI::ParseError& e) {
    const std::string what = e.what();
    const size_t colon = what.find(": ");
    if (dynamic_cast<const CLI::ExtrasError*>(&e) && colon != std::string::npos)
        return "不认识的参数：" + what.substr(colon + 2);
    if (dynamic_cast<const CLI::RequiredError*>(&e) && what == "A subcommand is required")
        return "没有说做哪项转换。";
    if (colon == std::string::npos) return what;
    const std::string name = what.substr(0, colon), rest = what.substr(colon + 2);
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) {
        if (rest.size() >= 7 && rest.compare(rest.size() - 7, 7, "missing") == 0) return name + " 后面少了它的值。";
        if (rest.compare(0, 7, "At Most") == 0) return name + " 只能给一次。";
    }
    const size_t notIn = rest.find(" not in {");
    if (dynamic_cast<const CLI::ValidationError*>(&e) && notIn != std::string::npos && rest.back() == '}') {
        std::string choices;
        for (char ch : rest.substr(notIn + 9, rest.size() - notIn - 10)) choices += ch == ',' ? std::string("、") : std::string(1, ch);
        return name + " 不能是“" + rest.substr(0, notIn) + "”，只能是 " + choices + "。";
    }
    return what;
}

void PrintList() {
    std::string table;
    for (const Conversion& c : Conversions())
        table += std::string(c.name) + "\t" + GbkMessage(c.caption) + "\t" + FormName(c, false) + "\t" + FormName(c, true) + "\n";
    WriteText(table);
}

// `source <(wht completion bash)`: conversion names first, then files.
void PrintCompletion() {
    std::string names = "list completion";
    for (const Conversion& c : Conversions()) names += std::string(" ") + c.name;
    // After --in, --out or completion the word is one of their values, not a file.
    WriteText("_wht() {\n"
              "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
              "  case \"$prev\" in\n"
              "    --in) COMPREPLY=($(compgen -W 'auto gbk utf-8 utf-16le utf-16be' -- \"$cur\")); return ;;\n"
              "    --out) COMPREPLY=($(compgen -W 'gbk utf-8 utf-16le' -- \"$cur\")); return ;;\n"
              "    completion) COMPREPLY=($(compgen -W 'bash' -- \"$cur\")); return ;;\n"
              "  esac\n"
              "  if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
              "    COMPREPLY=($(compgen -W '" + names + "' -- \"$cur\"))\n"
              "  else\n"
              "    case \"$cur\" in\n"
              "      -*) COMPREPLY=($(compgen -W '-o --output --in --out --all -c --check --help' -- \"$cur\")) ;;\n"
              "      *) COMPREPLY=($(compgen -f -- \"$cur\")) ;;\n"
              "    esac\n"
              "  fi\n"
              "}\n"
              "complete -o filenames -F _wht wht\n");
}

// A fatal report of the runtime goes to standard error: a console program shows no boxes.
int ReportToStandardError(const char* boxText) {
    WriteError("wht: " + GbkMessage(boxText));
    EndProcess(kFailed);
}

struct Arguments {
    std::vector<std::string> files;
    std::string output;
    std::string in = "auto", out;
    std::string check;
    bool all = false;
};

TextEncoding EncodingNamed(const std::string& name) {
    static const std::map<std::string, TextEncoding> names = {{"auto", TextEncoding::kAuto},
                                                              {"gbk", TextEncoding::kGbk},
                                                              {"utf-8", TextEncoding::kUtf8},
                                                              {"utf-16le", TextEncoding::kUtf16Le},
                                                              {"utf-16be", TextEncoding::kUtf16Le}};
    auto it = names.find(name);
    return it == names.end() ? TextEncoding::kAuto : it->second;
}

// A digest line as sha256sum writes it, so that `sha256sum -c` and `wht sha256 -c` read it.
// A name with a backslash or a line break is escaped, the line then beginning with "\".
std::string DigestLine(const std::string& digest, const std::string& name) {
    std::string escaped;
    for (char ch : name) escaped += ch == '\\' ? "\\\\" : ch == '\n' ? "\\n" : std::string(1, ch);
    return (escaped == name ? "" : "\\") + digest + "  " + escaped + "\n";
}

// Collects a result in memory: a digest, to be written with its line.
class MemorySink : public ByteSink {
public:
    void Write(const uint8_t* bytes, size_t n) override { text.append(reinterpret_cast<const char*>(bytes), n); }
    std::string text;
};

// One conversion of one source into one sink; the status, the message written.
template <typename Body>
int Guarded(Body body) {
    try {
        AllocationFailureThrows outOfMemory;
        body();
        return 0;
    } catch (const FileError& e) {
        WriteError(std::string("wht: ") + e.what());
    } catch (const ConversionRefused& e) {
        WriteError("wht: " + e.message);
    } catch (const std::bad_alloc&) {
        WriteError(std::string("wht: ") + kOutOfMemory);
    } catch (const Stopped&) {
        WriteError("wht: 已中断，没有留下输出文件。");
        return kStopped;
    }
    return kFailed;
}

// One input into one output. A digest is its hex digits and a line break; with the input's
// name after them when several are listed.
int ConvertOne(const Conversion& c, const std::string& file, const std::string& target, const RunOptions& options,
               bool nameAfter) {
    return Guarded([&] {
        Output output(target);
        output.CheckTarget();  // before a long input is read, not after
        {
            // Closed before the result takes its name: the result may replace this very file.
            Input input(file);
            if (c.slicing == Slicing::kDigest) {
                MemorySink digest;
                RunConversion(c, input, digest, options);
                std::string line = nameAfter ? DigestLine(digest.text, file) : digest.text + "\n";
                output.Write(reinterpret_cast<const uint8_t*>(line.data()), line.size());
            } else {
                RunConversion(c, input, output, options);
                // A console window shows the result and then a line of its own; a file or
                // pipe gets the result's bytes alone.
                if (output.IsConsole()) output.WriteUnits(reinterpret_cast<const uint8_t*>(u"\n"), 1);
            }
        }
        output.Commit();
    });
}

// `wht sha256 -c SUMS`: every "DIGEST  NAME" line checked, as sha256sum -c does.
int Check(const Conversion& c, const std::string& sums, const RunOptions& options) {
    std::string listing;
    int status = Guarded([&] {
        Input input(sums);
        MemorySink all;
        std::vector<uint8_t> buffer(1 << 16);
        for (size_t n; (n = input.Read(buffer.data(), buffer.size())) > 0;) all.Write(buffer.data(), n);
        listing = all.text;
    });
    if (status) return status;
    std::vector<std::string> failed;
    int lines = 0, unreadable = 0;
    std::string report;
    for (size_t at = 0; at < listing.size();) {
        size_t end = listing.find('\n', at);
        if (end == std::string::npos) end = listing.size();
        std::string line = listing.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        bool escaped = line[0] == '\\';
        if (escaped) line.erase(0, 1);
        size_t gap = line.find(' ');
        if (gap == std::string::npos || gap + 2 > line.size() || (line[gap + 1] != ' ' && line[gap + 1] != '*')) {
            WriteError("wht: " + sums + " 第" + std::to_string(lines + 1) + "行不是“校验值  文件名”的格式");
            return kFailed;
        }
        std::string expected = line.substr(0, gap), name = line.substr(gap + 2);
        if (escaped) {
            std::string plain;
            for (size_t k = 0; k < name.size(); ++k) {
                if (name[k] == '\\' && k + 1 < name.size()) plain += name[++k] == 'n' ? '\n' : name[k];
                else plain += name[k];
            }
            name = plain;
        }
        ++lines;
        MemorySink digest;
        int one = Guarded([&] {
            Input input(name);
            RunConversion(c, input, digest, options);
        });
        if (one == kStopped) return one;
        bool same = one == 0 && digest.text.size() == expected.size();
        for (size_t k = 0; same && k < expected.size(); ++k) same = tolower(digest.text[k]) == tolower(expected[k]);
        if (one) ++unreadable;
        if (!same) failed.push_back(name);
        report += name + (same ? ": OK\n" : one ? ": FAILED open or read\n" : ": FAILED\n");
    }
    WriteText(report);
    if (lines == 0) {
        WriteError("wht: " + sums + " 里没有“校验值  文件名”的行");
        return kFailed;
    }
    if (failed.empty()) return 0;
    std::string names;
    for (const std::string& n : failed) names += (names.empty() ? "" : "、") + n;
    WriteError("wht: " + std::to_string(failed.size()) + "个文件的校验值不符：" + names);
    return kFailed;
}

int Convert(const Conversion& c, Arguments& a) {
    RunOptions options;
    options.in = EncodingNamed(a.in);
    options.inBigEndian = a.in == "utf-16be";
    options.out = a.out.empty() ? TextEncoding::kAuto : EncodingNamed(a.out);
    options.progress = StandardErrorIsTerminal();
    if (!a.check.empty()) {
        if (!a.files.empty() || !a.output.empty()) return Usage("-c 只读它的校验文件，不另带输入或 -o。");
        return Check(c, a.check, options);
    }
    if (a.files.empty()) a.files.push_back("-");
    if (a.output == "-") a.output.clear();
    bool toFolder = !a.output.empty() && IsDirectory(a.output);
    if (a.files.size() > 1 && !a.output.empty() && !toFolder)
        return Usage("几个输入文件的结果要放进一个文件夹：-o 后面要是已有的文件夹。");
    // Decided before anything is written: two results under one name would leave only one.
    std::map<std::string, std::string> names;
    std::set<std::string> inputs;
    for (const std::string& file : a.files) {
        if (file == "-" && inputs.count(file)) return Usage("标准输入只能读一次。");
        inputs.insert(file);
        if (!toFolder) continue;
        if (file == "-") return Usage("标准输入没有文件名，不能写进文件夹。");
        std::string& first = names[BaseName(file)];
        if (!first.empty())
            return Usage(first + " 和 " + file + " 的结果都会叫 " + JoinPath(a.output, BaseName(file)) + "：分两次写进不同的文件夹。");
        first = file;
    }
    bool listDigests = c.slicing == Slicing::kDigest && a.files.size() > 1 && a.output.empty();
    int status = 0;
    for (const std::string& file : a.files) {
        std::string target = toFolder ? JoinPath(a.output, BaseName(file)) : a.output;
        int one = ConvertOne(c, file, target, options, listDigests);
        if (one == kStopped) return one;
        if (one) status = one;
    }
    return status;
}
}  // namespace

int main(int argc, char** argv) {
    SetErrorReportHook(ReportToStandardError);
    PrepareProcess();
    std::vector<std::string> args = CommandArguments(argc, argv);
    if (args.size() >= 2 && args[1][0] != '-' && args[1] != "list" && args[1] != "completion" && !FindConversion(args[1]))
        return Usage("没有名叫“" + args[1] + "”的转换。");

    CLI::App app("文汇通的转换，用在文件、管道和批处理上。", "wht");
    // The help speaks the program's language; the conversions added below take this over.
    const char* const labels[][2] = {{"Usage", "用法"}, {"OPTIONS", "选项"}, {"SUBCOMMAND", "名称"},
                                     {"Positionals", "参数"}, {"REQUIRED", "必须给出"}};
    for (const auto& l : labels) app.get_formatter()->label(l[0], l[1]);
    app.option_defaults()->group("选项");
    app.set_help_flag("-h,--help", "显示这份说明");
    app.require_subcommand(1);
    // A path such as /tmp/a.txt is a file, not an option (Linux paths under Wine).
    app.allow_windows_style_options(false);
    app.footer("例如：wht sha256 download.iso；wht gbk-to-utf8 in.txt -o out.txt；printf 中文 | wht url-encode-gbk");
    app.add_subcommand("list", "列出全部转换：名称、窗口里的标题、读什么、写什么")->group("转换");
    std::string shell;
    CLI::App* completion = app.add_subcommand("completion", "给 shell 的补全脚本：source <(wht completion bash)");
    completion->group("转换");
    completion->add_option("shell", shell, "哪个 shell 的")->check(CLI::IsMember({"bash"}));
    Arguments a;
    for (const Conversion& c : Conversions()) {
        std::string what = GbkMessage(c.caption) + "（读" + FormName(c, false) + "，写" + FormName(c, true) + "）";
        CLI::App* sub = app.add_subcommand(c.name, what);
        sub->group("转换");
        std::istringstream aliases(c.aliases);
        for (std::string alias; aliases >> alias;) sub->alias(alias);
        sub->footer(std::string("例如：") + c.example);
        sub->add_option("files", a.files, "输入文件；没有或为 - 时读标准输入")->type_name("FILE");
        sub->add_option("-o,--output", a.output, "结果写进这个文件（- 是标准输出；几个输入时：文件夹）")->type_name("FILE");
        if (c.reads == Form::kText)
            sub->add_option("--in", a.in, "输入的编码（auto：BOM，否则整个是有效的UTF-8，否则GBK）")
                ->type_name("ENCODING")
                ->check(CLI::IsMember({"auto", "gbk", "utf-8", "utf-16le", "utf-16be"}));
        if (c.writes == Form::kText)
            sub->add_option("--out", a.out, "输出的编码（默认：文件和管道用UTF-8，控制台窗口照它自己的方式）")
                ->type_name("ENCODING")
                ->check(CLI::IsMember({"gbk", "utf-8", "utf-16le"}));
        if (c.slicing == Slicing::kDigest)
            sub->add_option("-c,--check", a.check, "核对这个文件里“校验值  文件名”的每一行（sha256sum 的格式）")->type_name("FILE");
        if (std::string(c.name) == "fix-mojibake")
            sub->add_flag("--all", a.all, "列出窗口里的整份报告：最多五个候选，最像的在前");
    }

    for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) sub->get_help_ptr()->group("选项");

    std::vector<const char*> argvUtf8;
    for (const std::string& s : args) argvUtf8.push_back(s.c_str());
    try {
        app.parse(static_cast<int>(argvUtf8.size()), argvUtf8.data());
    } catch (const CLI::CallForHelp&) {
        CLI::App* shown = &app;
        for (CLI::App* sub : app.get_subcommands()) shown = sub;
        WriteText(shown == &app ? app.help() : shown->help("wht"));
        return 0;
    } catch (const CLI::ParseError& e) {
        return Usage(ParseErrorMessage(e));
    }
    CLI::App* chosen = app.get_subcommands().front();
    if (chosen->get_name() == "list") {
        PrintList();
        return 0;
    }
    if (chosen->get_name() == "completion") {
        PrintCompletion();
        return 0;
    }
    const Conversion* c = FindConversion(chosen->get_name());
    return Convert(a.all ? MojibakeReport() : *c, a);
}
