#include "app/settings/settings_file.h"

#include "app/settings/token_protection.h"

#include "base/controls/control_names.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/ini_file.h"
#include "update/history_file.h"

namespace velmora {

namespace {

const Text& login_section() {
    return gbk("登入数据");
}
const Text& box_section() {
    return gbk("选择框");
}
const Text& state_key() {
    return gbk("状态");
}
const Text& ticked() {
    return gbk("真");
}

}  // namespace

StoredCredential stored_credential(const Text& path) {
    const Text id = read_ini_item(path, login_section(), "ID");
    TokenRead token = token_for(path, id);
    return {id, std::move(token.token), std::move(token.problem)};
}

Text load_settings(Controls& controls, const Text& path) {
    StoredCredential stored = stored_credential(path);
    controls.set_edit_text(control::id_edit(), stored.id);
    controls.set_edit_text(control::token_edit(), stored.token);
    controls.set_check_box_checked(control::remember_box(),
                                   read_ini_item(path, box_section(), state_key()) == ticked());
    return std::move(stored.token_problem);
}

Text save_settings(Controls& controls, const Text& path) {
    // Once the window is closing its controls read empty; nothing is saved from them.
    if (shutdown_requested()) {
        return {};
    }
    const Text id = controls.edit_text(control::id_edit());
    write_ini_item(path, box_section(), state_key(), ticked());
    write_ini_item(path, login_section(), "ID", id);
    return save_token(path, id, controls.edit_text(control::token_edit()));
}

Text utf8_settings_note(const Text& path) {
    return ini_file_in_utf8(path)
               ? gbk("设置文件是UTF-8编码，已按UTF-8读取，下次保存时改存为GBK：") + path
               : Text();
}

Text history_file_of(const SettingsLocation& settings) {
    return settings.history_file.empty() ? history_path_beside(settings.settings_file)
                                         : settings.history_file;
}

}  // namespace velmora
