#include "api/domain_lookup.h"

#include <algorithm>

#include "api/api_post.h"
#include "api/credential.h"
#include "api/login_messages.h"
#include "api/reply_markers.h"
#include "api/request_bodies.h"
#include "api/show_message.h"
#include "base/controls/control_names.h"
#include "base/gbk.h"
#include "http/engine_failure.h"

namespace velmora {

DomainLookup lookup_domains(const ApiContext& context) {
    const ApiReply reply = api_call(context.endpoints, "Domain.List",
                                    domain_list_body(credential_text(context.controls)));
    const TextList names = reply_fields(reply.text, reply_marker::kDomainName);
    if (reply_code(reply.text) == "10003") {
        show_message(context.controls, gbk("ID错误"));
        return {.refusal = {}};
    }
    const int pages = std::min(static_cast<int>(names.size()), control::kPageCount);
    for (int page = 1; page <= pages; ++page) {
        context.controls.set_tab_caption(control::record_tabs(), page, names[page - 1]);
    }
    return {.refusal = login_refusal_text(reply), .answered = !is_engine_failure(reply.status)};
}

}  // namespace velmora
