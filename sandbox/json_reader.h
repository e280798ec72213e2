// A small JSON reader for the sandbox's seed files: objects keep their key order,
// numbers keep their literal text (so whole-number ids are read exactly), strings
// come out as UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::sandbox {

struct JsonValue {
    enum class Kind { null, boolean, number, string, array, object };
    Kind kind = Kind::null;
    bool boolean = false;
    std::string text;               // the string's value, or the number's literal text
    std::vector<JsonValue> items;   // array elements, or object member values
    std::vector<std::string> keys;  // object member names, parallel to `items`

    // The member named `key` of an object; nullptr when absent or not an object.
    const JsonValue* find(std::string_view key) const;
};

// Parses one JSON document (surrounding white space allowed). On failure gives
// nullopt and, when `error` is given, a message with the byte offset.
std::optional<JsonValue> parse_json(std::string_view text, std::string* error = nullptr);

}  // namespace velmora::sandbox
