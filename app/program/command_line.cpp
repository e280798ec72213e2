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

struct TaskOption {
    const char* word;
    ShellTask task;
    bool takes_name;
};

constexpr TaskOption kTaskOptions[] = {
    {"--login", ShellTask::login, false},
    {"--list", ShellTask::list, false},
    {"--watch", ShellTask::watch, true},
    {"--unwatch", ShellTask::unwatch, true},
    {"--status", ShellTask::status, false},
    {"--protect-token", ShellTask::protect_token, false},
    {"--unprotect-token", ShellTask::unprotect_token, false},
};

struct ServiceOption {
    const char* word;
    ServiceAction action;
};

constexpr ServiceOption kServiceOptions[] = {
    {"--install-service", ServiceAction::install},
    {"--uninstall-service", ServiceAction::uninstall},
    {"--service", ServiceAction::run},
};

const ServiceOption* service_option(const Text& word) {
    for (const ServiceOption& option : kServiceOptions) {
        if (word == option.word) {
            return &option;
        }
    }
    return nullptr;
}

const TaskOption* task_option(const Text& word) {
    for (const TaskOption& option : kTaskOptions) {
        if (word == option.word) {
            return &option;
        }
    }
    return nullptr;
}

Text upper_ascii(Text text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

}  // namespace

CommandLine parse_command_line(const TextList& arguments, HeadlessMode headless) {
    CommandLine command_line;
    const bool window_less = headless != HeadlessMode::not_offered;
    const bool only_window_less =
        headless == HeadlessMode::only || headless == HeadlessMode::only_with_service;
    const bool with_service = headless == HeadlessMode::only_with_service;
    bool help = false;
    int other_options = 0;  // words, besides a service option, that choose how to run
    Text service_word;
    bool version = false;
    bool typed = false;
    Text task_word;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const Text& argument = arguments[i];
        // The word after an option that takes one; nothing when the line ends there.
        const auto value = [&]() -> const Text* {
            return i + 1 < arguments.size() ? &arguments[++i] : nullptr;
        };
        const TaskOption* task = window_less ? task_option(argument) : nullptr;
        const ServiceOption* service = with_service ? service_option(argument) : nullptr;
        other_options += service == nullptr && argument != "--help" && argument != "--version";
        if (service != nullptr) {
            if (!service_word.empty() && service_word != argument) {
                return refusal(service_word + gbk(" 不能与 ") + argument +
                               gbk(" 同用：一次只做一件事"));
            }
            service_word = argument;
            command_line.service = service->action;
        } else if (argument == "--help") {
            help = true;
        } else if (argument == "--version") {
            version = true;
        } else if (argument == "--minimized" && !only_window_less) {
            command_line.minimized = true;
        } else if (argument == "--headless" && window_less) {
            command_line.headless = true;
        } else if (argument == "--once" && window_less) {
            command_line.once = true;
        } else if (task != nullptr) {
            if (!task_word.empty() && task_word != argument) {
                return refusal(task_word + gbk(" 不能与 ") + argument +
                               gbk(" 同用：一次只做一件事"));
            }
            task_word = argument;
            command_line.task = task->task;
            if (task->takes_name) {
                const Text* name = value();
                if (name == nullptr || name->empty() || name->starts_with("--")) {
                    return refusal(argument + gbk(" 后面要跟记录的完整名字，例如 www.example.com"));
                }
                command_line.name = *name;
            }
        } else if (argument == "--type" && window_less) {
            const Text* type = value();
            if (type == nullptr || (upper_ascii(*type) != "A" && upper_ascii(*type) != "AAAA")) {
                return refusal(gbk("--type 后面要跟 A 或 AAAA"));
            }
            command_line.record_type = upper_ascii(*type);
            typed = true;
        } else if (argument == "--settings" && window_less) {
            if (value() == nullptr) {
                return refusal(gbk("--settings 后面要跟设置文件的路径"));
            }
            command_line.settings_word = static_cast<int>(i);
        } else if (argument == "--system" && window_less && !with_service) {
            command_line.system = true;
        } else {
            return refusal(gbk("无法识别的参数：") + argument);
        }
    }
    // Asked for help, the user gets it even when the options they named do not fit.
    if (help || version) {
        command_line.action = help ? CommandLineAction::show_help : CommandLineAction::show_version;
        return command_line;
    }
    if (!service_word.empty() && other_options > 0) {
        return refusal(service_word + gbk(" 不能与其他参数同用"));
    }
    if (command_line.once && !command_line.headless && !only_window_less) {
        return refusal(gbk("--once 只能与 --headless 同用"));
    }
    if (command_line.minimized && command_line.headless) {
        return refusal(gbk("--minimized 不能与 --headless 同用：没有窗口可以最小化"));
    }
    if (command_line.task != ShellTask::none &&
        (command_line.headless || command_line.once || command_line.minimized)) {
        return refusal(task_word + gbk(" 做完就结束，不能与 --headless、--once、--minimized 同用"));
    }
    if (typed && command_line.task != ShellTask::watch) {
        return refusal(gbk("--type 只能与 --watch 同用"));
    }
    if (command_line.system && command_line.settings_word >= 0) {
        return refusal(gbk("--system 不能与 --settings 同用：系统服务的设置文件是固定的"));
    }
    const bool windowed = headless == HeadlessMode::offered && !command_line.headless &&
                          command_line.task == ShellTask::none;
    if (command_line.system && windowed) {
        return refusal(gbk("--system 只用于 --headless 和命令行设置，不用于窗口"));
    }
    if (only_window_less && command_line.task == ShellTask::none &&
        command_line.service == ServiceAction::none) {
        command_line.headless = true;
    }
    return command_line;
}

Text help_text(HeadlessMode headless) {
    Text text;
    if (headless == HeadlessMode::only || headless == HeadlessMode::only_with_service) {
        text = (headless == HeadlessMode::only ? gbk("用法：velmora-headless [选项]\n")
                                               : gbk("用法：velmora-headless.exe [选项]\n")) +
               gbk("  不带选项时登入并更新记录，运行记录写到标准输出\n"
                   "  --once       更新一遍后退出\n");
    } else {
        text =
            gbk("用法：velmora [选项]\n"
                "  --minimized  启动后隐藏到托盘（没有托盘时最小化）\n");
    }
    if (headless == HeadlessMode::offered) {
        text +=
            gbk("  --headless   不开窗口：登入并更新记录，运行记录写到标准输出\n"
                "  --once       与 --headless 同用：更新一遍后退出\n");
    }
    if (headless != HeadlessMode::not_offered) {
        text +=
            gbk("命令行设置（做完就结束，与窗口写同一个设置文件）：\n"
                "  --login      询问ID和Token（Token不显示；标准输入不是终端时读两行），\n"
                "               服务商接受后才保存\n"
                "  --list       列出账户的域名和记录：主机记录、类型、记录值、记录ID、是否监控\n"
                "  --watch NAME [--type A|AAAA]\n"
                "               监控名为NAME的记录（如 www.example.com，@记录写域名本身）；\n"
                "               不带 --type 时监控这个名字的全部A和AAAA记录\n"
                "  --unwatch NAME\n"
                "               不再监控名为NAME的记录\n"
                "  --status     监控中的记录和服务商现在的记录值、现在的公网IP、最近的运行记录\n"
                "  --protect-token\n");
        // Each platform keeps the token in its own store.
        text += headless == HeadlessMode::only_with_service
                    ? gbk("               保护令牌：Token用 Windows 的数据保护接口加密后存为\n"
                          "               ProtectedToken，设置文件中的Token清空\n")
                    : gbk("               "
                          "保护令牌：Token交给桌面的密钥环保存，设置文件中的Token清空；\n"
                          "               与 --system 同用时用 systemd-creds 加密到 "
                          "/etc/velmora/token.cred\n");
        text +=
            gbk("  --unprotect-token\n"
                "               把Token放回设置文件\n"
                "  --settings FILE\n"
                "               使用设置文件FILE（运行记录在它旁边），用于以上各项和更新\n");
    }
    if (headless == HeadlessMode::only || headless == HeadlessMode::offered) {
        text +=
            gbk("  --system     使用系统服务的设置：/etc/velmora/velmora.ini，\n"
                "               运行记录在 /var/lib/velmora/\n");
    }
    if (headless == HeadlessMode::only_with_service) {
        text +=
            gbk("Windows 后台服务（用本程序旁边的 velmora.ini，以 LocalService 账户运行）：\n"
                "  --install-service    安装并启动后台服务 Velmora（要用管理员身份运行）\n"
                "  --uninstall-service  停止并删除后台服务 Velmora（要用管理员身份运行）\n"
                "  --service            由服务管理器启动，不要自己用\n");
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
