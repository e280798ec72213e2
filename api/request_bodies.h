// The form bodies of the three provider actions, byte for byte. Every spliced value
// passes through form_value; the literal pieces and their key order are fixed.
#pragma once

#include "base/types.h"

namespace velmora {

// "login_token=" + credential + "&format=json"
Text domain_list_body(const Text& credential);

// The first 20 records of the domain of one type ("A", or "AAAA" for the second list of
// a page). The trailing bare "sub_domain" is a key without a value; the provider lets
// the later key win, which lifts the earlier "www" filter.
Text record_list_body(const Text& credential, const Text& domain_id, const Text& record_type = "A");

// Sets one record's value on the default line.
Text record_modify_body(const Text& credential, const Text& domain_id, const Text& record_id,
                        const Text& sub_domain, const Text& value, const Text& record_type);

}  // namespace velmora
