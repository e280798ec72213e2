// The provider's API actions, from a decoded form body to the JSON reply body.
//
// Reply shape: {"status":{"code":"…","message":"…","created_at":"…"}, …data…}. Clients
// read replies by searching for literal texts rather than parsing JSON, so the data
// members keep a fixed order and quoting (documented in sandbox/README.md): domain ids
// are unquoted numbers followed by a comma; record ids, names, types, values and TTLs
// are quoted and each followed by a comma; a Record.List reply lists its domain object
// (unquoted id, quoted name) before the records, and nothing else in a reply carries
// those keys.
#pragma once

#include <string>
#include <string_view>

#include "sandbox/form_decode.h"
#include "sandbox/provider_store.h"

namespace velmora::sandbox {

inline constexpr std::string_view action_domain_list = "Domain.List";
inline constexpr std::string_view action_record_list = "Record.List";
inline constexpr std::string_view action_record_modify = "Record.Modify";

// `action` is one of the three above.
std::string answer_api_action(ProviderStore& store, std::string_view action,
                              const FormFields& form);

// One record as a Record.List reply lists it (also used by the control interface).
std::string record_json(const Record& record);

}  // namespace velmora::sandbox
