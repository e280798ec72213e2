#include "api/record_list_reply.h"

#include <algorithm>

#include "api/reply_markers.h"

namespace velmora {

RecordListReply read_record_list_reply(const Text& reply) {
    return {
        .domain_ids = reply_fields(reply, reply_marker::kUnquotedId),
        .record_ids = reply_fields(reply, reply_marker::kQuotedId),
        .names = reply_fields(reply, reply_marker::kName),
        .types = reply_fields(reply, reply_marker::kType),
        .values = reply_fields(reply, reply_marker::kValue),
        .ttls = reply_fields(reply, reply_marker::kTtl),
    };
}

bool fills_page(const RecordListReply& fields) {
    const std::size_t records = fields.record_ids.size();
    return fields.names.size() == records + 1 && fields.types.size() == records &&
           values_line_up(fields);
}

bool values_line_up(const RecordListReply& fields) {
    return fields.values.size() == fields.record_ids.size();
}

bool is_domain_id(const Text& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace velmora
