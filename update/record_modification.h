#pragma once

#include "api/api_context.h"
#include "base/types.h"

namespace velmora {

// Sets the record's value on the default line with Record.Modify. On reply code "1"
// logs "更新记录值成功|IP为：" + a public address discovered after the reply. Any
// other outcome logs nothing. Returns the reply.
Text modify_record(const ApiContext& context, const Text& credential, const Text& domain_id,
                   const Text& record_id, const Text& sub_domain, const Text& value,
                   const Text& record_type);

}  // namespace velmora
