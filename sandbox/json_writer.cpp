#include "sandbox/json_writer.h"

#include <cstdio>

namespace velmora::sandbox {
namespace {

// Length of the valid UTF-8 sequence starting at `s[i]`, or 0 when it is not one.
std::size_t utf8_sequence_length(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned int min_code = 0;
    unsigned int code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, min_code = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, min_code = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, min_code = 0x10000;
    } else {
        return 0;
    }
    if (i + length > s.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < min_code || code > 0x10FFFF || surrogate ? 0 : length;
}

void append_escape(std::string& out, unsigned int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\\u%04X", value);
    out += buffer;
}

bool is_valid_utf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) {
            const std::size_t length = utf8_sequence_length(bytes, i);
            if (length == 0) {
                return false;
            }
            i += length - 1;
        }
    }
    return true;
}

}  // namespace

std::string json_quote(std::string_view bytes) {
    const bool utf8 = is_valid_utf8(bytes);
    std::string out = "\"";
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && !utf8)) {
            append_escape(out, c);
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

void JsonObject::add_key(std::string_view key) {
    if (!body_.empty()) {
        body_ += ',';
    }
    body_ += json_quote(key);
    body_ += ':';
}

JsonObject& JsonObject::text(std::string_view key, std::string_view value) {
    return raw(key, json_quote(value));
}

JsonObject& JsonObject::number(std::string_view key, std::int64_t value) {
    return raw(key, std::to_string(value));
}

JsonObject& JsonObject::boolean(std::string_view key, bool value) {
    return raw(key, value ? "true" : "false");
}

JsonObject& JsonObject::null(std::string_view key) {
    return raw(key, "null");
}

JsonObject& JsonObject::raw(std::string_view key, std::string_view json) {
    add_key(key);
    body_ += json;
    return *this;
}

std::string json_array(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        out += items[i];
    }
    return out + "]";
}

}  // namespace velmora::sandbox
