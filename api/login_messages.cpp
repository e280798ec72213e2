#include "api/login_messages.h"

#include <array>

#include "base/gbk.h"

namespace velmora {

std::span<const LoginMessage> login_messages() {
    static const std::array<LoginMessage, 14> table = {{
        {"-1", gbk("登入失败")},
        {"10001", gbk("登入令牌ID无效 ")},
        {"-2", gbk("API使用超出限制。 ")},
        {"-3", gbk(" 不是合法代理 (仅用于代理接口)。 ")},
        {"-4", gbk("不在代理名下 (仅用于代理接口)。 ")},
        {"-7", gbk("无权使用此接口。 ")},
        {"-8", gbk("登录失败次数过多，帐号被暂时封禁。")},
        {"85", gbk("帐号异地登录，请求被拒绝。")},
        {"-99", gbk("此功能暂停开放，请稍候重试。")},
        {"3", gbk("未知错误")},
        {"6", gbk("用户ID错误 (仅用于代理接口)。")},
        {"7", gbk("用户不在您名下 (仅用于代理接口)。")},
        {"83", gbk("该帐户已经被锁定，无法进行任何操作。")},
        {kLoginSucceededCode, gbk("登入成功")},
    }};
    return table;
}

const LoginMessage* find_login_message(const Text& code) {
    for (const LoginMessage& row : login_messages()) {
        if (row.code == code) {
            return &row;
        }
    }
    return nullptr;
}

Text login_refusal_text(const ApiReply& reply) {
    const LoginMessage* row = find_login_message(reply_code(reply.text));
    if (row != nullptr) {
        return row->code == kLoginSucceededCode ? Text() : row->message;
    }
    return gbk("登入未完成：") + failure_reason(reply);
}

}  // namespace velmora
