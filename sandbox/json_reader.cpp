#include "sandbox/json_reader.h"

namespace velmora::sandbox {
namespace {

constexpr int max_depth = 64;

class Parser {
  public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::optional<JsonValue> document(std::string* error) {
        JsonValue value;
        skip_space();
        if (!parse_value(value, 0)) {
            return fail(error);
        }
        skip_space();
        if (pos_ != text_.size()) {
            message_ = "unexpected text after the document";
            return fail(error);
        }
        return value;
    }

  private:
    std::optional<JsonValue> fail(std::string* error) const {
        if (error != nullptr) {
            *error = message_ + " at byte " + std::to_string(pos_);
        }
        return std::nullopt;
    }

    bool failed(const char* message) {
        message_ = message;
        return false;
    }

    void skip_space() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\n' || text_[pos_] == '\r')) {
            ++pos_;
        }
    }

    bool consume(char c) {
        skip_space();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) {
            return failed("unknown literal");
        }
        pos_ += word.size();
        return true;
    }

    bool parse_value(JsonValue& value, int depth) {
        if (depth > max_depth) {
            return failed("nesting too deep");
        }
        skip_space();
        if (pos_ >= text_.size()) {
            return failed("unexpected end of text");
        }
        const char c = text_[pos_];
        if (c == '{') {
            return parse_object(value, depth);
        }
        if (c == '[') {
            return parse_array(value, depth);
        }
        if (c == '"') {
            value.kind = JsonValue::Kind::string;
            return parse_string(value.text);
        }
        if (c == 't' || c == 'f') {
            value.kind = JsonValue::Kind::boolean;
            value.boolean = c == 't';
            return literal(c == 't' ? "true" : "false");
        }
        if (c == 'n') {
            value.kind = JsonValue::Kind::null;
            return literal("null");
        }
        return parse_number(value);
    }

    bool parse_object(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::object;
        ++pos_;
        if (consume('}')) {
            return true;
        }
        do {
            skip_space();
            std::string key;
            if (pos_ >= text_.size() || text_[pos_] != '"' || !parse_string(key)) {
                return failed("expected a member name");
            }
            if (!consume(':')) {
                return failed("expected ':'");
            }
            JsonValue member;
            if (!parse_value(member, depth + 1)) {
                return false;
            }
            value.keys.push_back(std::move(key));
            value.items.push_back(std::move(member));
        } while (consume(','));
        return consume('}') || failed("expected ',' or '}'");
    }

    bool parse_array(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::array;
        ++pos_;
        if (consume(']')) {
            return true;
        }
        do {
            JsonValue item;
            if (!parse_value(item, depth + 1)) {
                return false;
            }
            value.items.push_back(std::move(item));
        } while (consume(','));
        return consume(']') || failed("expected ',' or ']'");
    }

    bool parse_number(JsonValue& value) {
        const std::size_t start = pos_;
        while (pos_ < text_.size() &&
               std::string_view("+-0123456789.eE").find(text_[pos_]) != std::string_view::npos) {
            ++pos_;
        }
        if (pos_ == start) {
            return failed("unexpected character");
        }
        value.kind = JsonValue::Kind::number;
        value.text = std::string(text_.substr(start, pos_ - start));
        return true;
    }

    bool parse_hex4(unsigned int& code) {
        if (pos_ + 4 > text_.size()) {
            return failed("short \\u escape");
        }
        code = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text_[pos_++];
            code <<= 4;
            if (c >= '0' && c <= '9') {
                code |= static_cast<unsigned int>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                code |= static_cast<unsigned int>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                code |= static_cast<unsigned int>(c - 'A' + 10);
            } else {
                return failed("bad \\u escape");
            }
        }
        return true;
    }

    static void append_utf8(std::string& out, unsigned int code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool parse_escape(std::string& out) {
        if (pos_ >= text_.size()) {
            return failed("unterminated string");
        }
        const char c = text_[pos_++];
        switch (c) {
            case '"':
            case '\\':
            case '/':
                out += c;
                return true;
            case 'b':
                out += '\b';
                return true;
            case 'f':
                out += '\f';
                return true;
            case 'n':
                out += '\n';
                return true;
            case 'r':
                out += '\r';
                return true;
            case 't':
                out += '\t';
                return true;
            case 'u':
                break;
            default:
                return failed("unknown escape");
        }
        unsigned int code = 0;
        if (!parse_hex4(code)) {
            return false;
        }
        if (code >= 0xD800 && code <= 0xDBFF) {
            unsigned int low = 0;
            if (text_.substr(pos_, 2) != "\\u" || (pos_ += 2, !parse_hex4(low)) || low < 0xDC00 ||
                low > 0xDFFF) {
                return failed("unpaired surrogate");
            }
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            return failed("unpaired surrogate");
        }
        append_utf8(out, code);
        return true;
    }

    bool parse_string(std::string& out) {
        ++pos_;  // the opening quote
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"') {
                return true;
            }
            if (c == '\\') {
                if (!parse_escape(out)) {
                    return false;
                }
            } else if (static_cast<unsigned char>(c) < 0x20) {
                return failed("control character in string");
            } else {
                out += c;
            }
        }
        return failed("unterminated string");
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::string message_;
};

}  // namespace

const JsonValue* JsonValue::find(std::string_view key) const {
    if (kind != Kind::object) {
        return nullptr;
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == key) {
            return &items[i];
        }
    }
    return nullptr;
}

std::optional<JsonValue> parse_json(std::string_view text, std::string* error) {
    return Parser(text).document(error);
}

}  // namespace velmora::sandbox
