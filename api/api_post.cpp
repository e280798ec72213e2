#include "api/api_post.h"

#include "api/reply_markers.h"
#include "base/markers.h"
#include "http/http_request.h"

namespace velmora {

Text api_url(const Endpoints& endpoints, const Text& action) {
    return "https://" + endpoints.api_host + "/" + action;
}

Text api_post(const Endpoints& endpoints, const Text& action, const Text& body) {
    constexpr int kPost = 1;
    return http_request(api_url(endpoints, action), kPost, body);
}

Text reply_code(const Text& reply) {
    return text_between(reply, reply_marker::kCode.left, reply_marker::kCode.right);
}

}  // namespace velmora
