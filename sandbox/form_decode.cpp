#include "sandbox/form_decode.h"

namespace velmora::sandbox {
namespace {

int hex_digit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string percent_decode(std::string_view piece) {
    std::string out;
    out.reserve(piece.size());
    for (std::size_t i = 0; i < piece.size(); ++i) {
        const char c = piece[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < piece.size() && hex_digit(piece[i + 1]) >= 0 &&
                   hex_digit(piece[i + 2]) >= 0) {
            out += static_cast<char>(hex_digit(piece[i + 1]) * 16 + hex_digit(piece[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

FormFields decode_form(std::string_view body) {
    FormFields fields;
    while (!body.empty()) {
        const std::size_t amp = body.find('&');
        const std::string_view piece = body.substr(0, amp);
        body = amp == std::string_view::npos ? std::string_view{} : body.substr(amp + 1);
        if (piece.empty()) {
            continue;
        }
        const std::size_t eq = piece.find('=');
        const std::string key = percent_decode(piece.substr(0, eq));
        fields[key] =
            eq == std::string_view::npos ? std::string{} : percent_decode(piece.substr(eq + 1));
    }
    return fields;
}

std::string form_value(const FormFields& fields, const std::string& key,
                       const std::string& fallback) {
    const auto it = fields.find(key);
    return it == fields.end() ? fallback : it->second;
}

}  // namespace velmora::sandbox
