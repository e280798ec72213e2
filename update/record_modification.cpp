#include "update/record_modification.h"

#include "api/record_types.h"
#include "api/request_bodies.h"
#include "base/gbk.h"
#include "update/address_discovery.h"
#include "update/ipv6_discovery.h"

namespace velmora {

ApiReply modify_record(const ApiContext& context, RunLog& log, const Text& credential,
                       const Text& domain_id, const Text& record_id, const Text& sub_domain,
                       const Text& value, const Text& record_type, Text* logged_time) {
    ApiReply reply = api_call(
        context.endpoints, "Record.Modify",
        record_modify_body(credential, domain_id, record_id, sub_domain, value, record_type));
    if (reply_code(reply.text) == "1") {
        const Text time = log_time_text(context.endpoints);
        const Text address = follows_the_ipv6_address(record_type)
                                 ? discover_public_ipv6(context.endpoints).address
                                 : discover_public_address(context.endpoints);
        log.write_at(time, gbk("更新记录值成功|IP为：") + address);
        if (logged_time != nullptr) {
            *logged_time = time;
        }
    }
    return reply;
}

}  // namespace velmora
