#include "update/record_modification.h"

#include "api/api_post.h"
#include "api/request_bodies.h"
#include "base/gbk.h"
#include "update/address_discovery.h"
#include "update/run_log.h"

namespace velmora {

Text modify_record(const ApiContext& context, const Text& credential, const Text& domain_id,
                   const Text& record_id, const Text& sub_domain, const Text& value,
                   const Text& record_type) {
    const Text reply = api_post(
        context.endpoints, "Record.Modify",
        record_modify_body(credential, domain_id, record_id, sub_domain, value, record_type));
    if (reply_code(reply) == "1") {
        const Text time = network_time_text(context.endpoints);
        const Text address = discover_public_address(context.endpoints);
        append_log_line(context.controls, time, gbk("更新记录值成功|IP为：") + address);
    }
    return reply;
}

}  // namespace velmora
