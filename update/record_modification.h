#pragma once

#include "api/api_context.h"
#include "api/api_post.h"
#include "base/types.h"
#include "update/run_log.h"

namespace velmora {

// Sets the record's value on the default line with Record.Modify. On reply code "1"
// logs "更新记录值成功|IP为：" + a public address discovered after the reply (IPv6 for
// an AAAA record, else IPv4). Any other outcome logs nothing here: the caller decides
// what a refusal says. Returns the reply; `logged_time`, when given, gets the success
// line's time text.
ApiReply modify_record(const ApiContext& context, RunLog& log, const Text& credential,
                       const Text& domain_id, const Text& record_id, const Text& sub_domain,
                       const Text& value, const Text& record_type, Text* logged_time = nullptr);

}  // namespace velmora
