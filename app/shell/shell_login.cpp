#include "app/shell/shell_login.h"

#include "api/api_post.h"
#include "api/login_messages.h"
#include "api/request_bodies.h"
#include "app/settings/settings_file.h"
#include "base/controls/control_names.h"
#include "base/gbk.h"
#include "base/controls/memory_controls.h"

namespace velmora {

namespace {

constexpr int kFailed = 1;

// The provider's answer to the credential: the empty text when it accepts it, else
// what the window would show.
Text refusal_of(const Endpoints& endpoints, const Text& id, const Text& token) {
    const ApiReply reply = api_call(endpoints, "Domain.List", domain_list_body(id + "," + token));
    if (reply_code(reply.text) == "10003") {
        return gbk("ID错误");  // the window's lookup says so for this code
    }
    return login_refusal_text(reply);
}

}  // namespace

int shell_login(ShellConsole& console, const Endpoints& endpoints,
                const SettingsLocation& settings) {
    if (settings.settings_file.empty()) {
        console.complain(gbk("没有可以保存设置的地方（找不到主文件夹）"));
        return kFailed;
    }
    const InputLine id = console.read_line("ID: ", false);
    const InputLine token =
        id.end == InputEnd::line ? console.read_line(gbk("Token（输入时不显示）: "), true) : id;
    if (token.end == InputEnd::interrupted) {
        console.complain(gbk("登入已中断，没有保存任何设置"));
        return kFailed;
    }
    if (token.end == InputEnd::end_of_input) {
        console.complain(console.interactive()
                             ? gbk("输入已结束，没有保存任何设置")
                             : gbk("标准输入中要有两行：第一行ID，第二行Token；没有保存任何设置"));
        return kFailed;
    }
    if (id.text.empty() || token.text.empty()) {
        console.complain(gbk("ID和Token都不能为空，没有保存任何设置"));
        return kFailed;
    }
    const Text refusal = refusal_of(endpoints, id.text, token.text);
    if (!refusal.empty()) {
        console.complain(refusal + gbk("（没有保存任何设置）"));
        return kFailed;
    }
    MemoryControls controls;
    controls.set_edit_text(control::id_edit(), id.text);
    controls.set_edit_text(control::token_edit(), token.text);
    if (const Text problem = save_settings(controls, settings.settings_file); !problem.empty()) {
        console.complain(problem);
        return kFailed;
    }
    const StoredCredential stored = stored_credential(settings.settings_file);
    if (stored.id != id.text || stored.token != token.text) {
        console.complain(gbk("服务商接受了ID和Token，但设置文件无法写入：") +
                         settings.settings_file);
        return kFailed;
    }
    console.print(gbk("登入成功，ID和Token已保存到 ") + settings.settings_file + "\n");
    return 0;
}

}  // namespace velmora
