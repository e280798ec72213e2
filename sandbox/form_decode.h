// Decoding of application/x-www-form-urlencoded bodies as the provider reads them.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace velmora::sandbox {

// Key -> value, bytes as sent after percent-decoding (GBK bytes stay GBK bytes).
using FormFields = std::map<std::string, std::string>;

// Splits at '&', decodes '+' as a space and %XY as the byte 0xXY in keys and values.
// A piece without '=' is a key with the empty value; when a key repeats, the later
// piece wins. Empty pieces are skipped. A '%' not followed by two hex digits stays as
// it is, so a malformed body never loses bytes.
FormFields decode_form(std::string_view body);

// The value of `key`, or `fallback` when the body did not carry the key at all.
std::string form_value(const FormFields& fields, const std::string& key,
                       const std::string& fallback = "");

}  // namespace velmora::sandbox
