#include "app/settings/run_options.h"

#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/ini_file.h"

namespace velmora {

namespace {

const Text& options_section() {
    return gbk("运行选项");
}

const Text& key_of(RunOption option) {
    switch (option) {
        case RunOption::log_in_at_start:
            return gbk("启动时登入");
        case RunOption::minimise_to_tray:
            return gbk("最小化到托盘");
        case RunOption::protect_token:
            break;
    }
    return gbk("保护令牌");
}

}  // namespace

bool run_option(const Text& settings_path, RunOption option) {
    return read_ini_item(settings_path, options_section(), key_of(option)) == gbk("真");
}

bool set_run_option(const Text& settings_path, RunOption option, bool on) {
    return !shutdown_requested() && write_ini_item(settings_path, options_section(), key_of(option),
                                                   on ? gbk("真") : Text());
}

}  // namespace velmora
