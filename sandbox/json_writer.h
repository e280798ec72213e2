// Compact JSON output with keys in the order they are added. The provider's clients
// read replies by searching for literal texts, so field order and quoting matter and
// are decided by the caller, never re-sorted here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::sandbox {

// A JSON string literal. Valid UTF-8 passes through. A text that is not valid UTF-8
// as a whole (GBK bytes, say) has every byte from 0x80 up written as \u00XX, one
// escape per byte, so the output is always valid UTF-8 and the bytes can be recovered.
std::string json_quote(std::string_view bytes);

class JsonObject {
  public:
    JsonObject& text(std::string_view key, std::string_view value);
    JsonObject& number(std::string_view key, std::int64_t value);
    JsonObject& boolean(std::string_view key, bool value);
    JsonObject& null(std::string_view key);
    // `json` must already be a JSON value (an object, array or literal).
    JsonObject& raw(std::string_view key, std::string_view json);
    std::string str() const { return "{" + body_ + "}"; }
    // The members without the braces, to be spliced into an enclosing object.
    const std::string& members() const { return body_; }

  private:
    void add_key(std::string_view key);
    std::string body_;
};

// "[" + the already encoded items joined by "," + "]".
std::string json_array(const std::vector<std::string>& items);

}  // namespace velmora::sandbox
