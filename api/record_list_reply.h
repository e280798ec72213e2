// The fields of a Record.List reply and whether they can be paired by position.
//
// The marker lists are positional: the domain object comes first (its id an unquoted
// number, its name quoted), then the records, each with quoted id, name, type, value and
// ttl. A record that lacks a field, or a field that also turns up outside the records,
// shifts one list against the others; pairing them by position would then show one
// record's id with another record's name, and a later Record.Modify built from that row
// would rename a record at the provider.
#pragma once

#include "base/types.h"

namespace velmora {

struct RecordListReply {
    TextList domain_ids;  // unquoted ids; the domain object's own comes first
    TextList record_ids;
    TextList names;  // the domain's name first, then one per record
    TextList types;
    TextList values;
    TextList ttls;
};

RecordListReply read_record_list_reply(const Text& reply);

// One name per record plus the domain's, and one type and one value per record.
bool fills_page(const RecordListReply& fields);

// One value per record: the values can be written to rows 1 to n.
bool values_line_up(const RecordListReply& fields);

// A domain id as the provider writes it: decimal digits and nothing else. A quoted id,
// as the bare "id": marker cuts it, keeps its quotes and is refused.
bool is_domain_id(const Text& text);

}  // namespace velmora
