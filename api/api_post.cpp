#include "api/api_post.h"

#include "api/reply_markers.h"
#include "base/gbk.h"
#include "base/markers.h"
#include "base/text_excerpt.h"
#include "http/engine_failure.h"
#include "http/http_request.h"

namespace velmora {

Text api_url(const Endpoints& endpoints, const Text& action) {
    return "https://" + endpoints.api_host + "/" + action;
}

ApiReply api_call(const Endpoints& endpoints, const Text& action, const Text& body) {
    constexpr int kPost = 1;
    HttpOutcome outcome =
        http_request(HttpRequest{.url = api_url(endpoints, action), .method = kPost, .body = body});
    return {std::move(outcome.text), std::move(outcome.status)};
}

Text reply_code(const Text& reply) {
    return text_between(reply, reply_marker::kCode.left, reply_marker::kCode.right);
}

Text failure_reason(const ApiReply& reply) {
    const Text code = reply_code(reply.text);
    if (code == "1") {
        return {};
    }
    if (!code.empty()) {
        const Text message = one_line_excerpt(
            text_between(reply.text, reply_marker::kMessage.left, reply_marker::kMessage.right));
        return gbk("服务商返回代码") + one_line_excerpt(code) +
               (message.empty() ? Text() : gbk("：") + message);
    }
    if (is_engine_failure(reply.status)) {
        return reply.status;
    }
    return gbk("回复不是服务商的回复") +
           (reply.status.empty() ? Text() : gbk("（") + one_line_excerpt(reply.status) + gbk("）"));
}

}  // namespace velmora
