#include "app/program/command_line.h"

#include "app/program/version.h"
#include "base/gbk.h"

namespace velmora {

namespace {

CommandLine refusal(Text problem) {
    CommandLine refused;
    refused.action = CommandLineAction::refuse;
    refused.problem = std::move(problem);
    return refused;
}

}  // namespace

CommandLine parse_command_line(const TextList& arguments, HeadlessMode headless) {
    CommandLine command_line;
    bool help = false;
    bool version = false;
    for (const Text& argument : arguments) {
        if (argument == "--help") {
            help = true;
        } else if (argument == "--version") {
            version = true;
        } else if (argument == "--minimized") {
            command_line.minimized = true;
        } else if (argument == "--headless" && headless == HeadlessMode::offered) {
            command_line.headless = true;
        } else if (argument == "--once" && headless == HeadlessMode::offered) {
            command_line.once = true;
        } else {
            return refusal(gbk("无法识别的参数：") + argument);
        }
    }
    // Asked for help, the user gets it even when the options they named do not fit.
    if (help || version) {
        command_line.action = help ? CommandLineAction::show_help : CommandLineAction::show_version;
        return command_line;
    }
    if (command_line.once && !command_line.headless) {
        return refusal(gbk("--once 只能与 --headless 同用"));
    }
    if (command_line.minimized && command_line.headless) {
        return refusal(gbk("--minimized 不能与 --headless 同用：没有窗口可以最小化"));
    }
    return command_line;
}

Text help_text(HeadlessMode headless) {
    Text text =
        gbk("用法：velmora [选项]\n"
            "  --minimized  启动后隐藏到托盘（没有托盘时最小化）\n");
    if (headless == HeadlessMode::offered) {
        text +=
            gbk("  --headless   不开窗口：登入并更新记录，运行记录写到标准输出\n"
                "  --once       与 --headless 同用：更新一遍后退出\n");
    }
    text +=
        gbk("  --help       显示本说明\n"
            "  --version    显示版本\n");
    return text;
}

Text version_text() {
    return "velmora " VELMORA_VERSION "\n";
}

}  // namespace velmora
