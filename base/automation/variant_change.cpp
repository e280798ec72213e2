#include "base/automation/variant_change.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/automation/names.h"
#include "base/date_time.h"

namespace velmora {

namespace {

std::u16string ascii_to_wide(const char* ascii) {
    std::u16string wide;
    for (; *ascii != '\0'; ++ascii) {
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(*ascii)));
    }
    return wide;
}

std::u16string format_number(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return ascii_to_wide(buffer);
}

// A number written in ASCII digits, signs, a point and an exponent, with blanks around it.
std::optional<double> parse_number(const std::u16string& text) {
    std::string ascii;
    for (char16_t unit : text) {
        if (unit > 0x7f) {
            return std::nullopt;
        }
        ascii.push_back(static_cast<char>(unit));
    }
    const char* start = ascii.c_str();
    char* end = nullptr;
    double value = std::strtod(start, &end);
    if (end == start) {
        return std::nullopt;
    }
    while (*end == ' ' || *end == '\t') {
        ++end;
    }
    // strtod also takes "inf", "nan" and hex floats, which the platform does not.
    if (*end != '\0' || !std::isfinite(value) || ascii.find_first_of("xX") != std::string::npos) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::u16string date_time_string(DateTime value) {
    const DateTimeFields fields = break_date_time(value);
    const bool midnight = fields.hour == 0 && fields.minute == 0 && fields.second == 0;
    const bool day_zero = fields.year == 1899 && fields.month == 12 && fields.day == 30;
    char date[32];
    char time[32];
    std::snprintf(date, sizeof date, "%d/%d/%d", fields.year, fields.month, fields.day);
    std::snprintf(time, sizeof time, "%d:%02d:%02d", fields.hour, fields.minute, fields.second);
    if (day_zero) {
        return ascii_to_wide(time);
    }
    if (midnight) {
        return ascii_to_wide(date);
    }
    return ascii_to_wide(date) + u" " + ascii_to_wide(time);
}

std::optional<std::u16string> change_to_string(const Variant& value) {
    struct Visitor {
        std::optional<std::u16string> operator()(std::monostate) const { return u""; }
        std::optional<std::u16string> operator()(bool v) const { return v ? u"True" : u"False"; }
        std::optional<std::u16string> operator()(std::uint8_t v) const { return integer(v); }
        std::optional<std::u16string> operator()(std::int16_t v) const { return integer(v); }
        std::optional<std::u16string> operator()(std::int32_t v) const { return integer(v); }
        std::optional<std::u16string> operator()(float v) const { return format_number("%.7G", v); }
        std::optional<std::u16string> operator()(double v) const {
            return format_number("%.15G", v);
        }
        std::optional<std::u16string> operator()(DateTime v) const { return date_time_string(v); }
        std::optional<std::u16string> operator()(const std::u16string& v) const { return v; }
        std::optional<std::u16string> operator()(const Bytes&) const { return std::nullopt; }
        std::optional<std::u16string> operator()(const ComObject&) const { return std::nullopt; }

        static std::u16string integer(long long v) {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%lld", v);
            return ascii_to_wide(buffer);
        }
    };
    return std::visit(Visitor{}, value);
}

std::optional<double> change_to_number(const Variant& value) {
    struct Visitor {
        std::optional<double> operator()(std::monostate) const { return 0.0; }
        std::optional<double> operator()(bool v) const { return v ? -1.0 : 0.0; }
        std::optional<double> operator()(std::uint8_t v) const { return v; }
        std::optional<double> operator()(std::int16_t v) const { return v; }
        std::optional<double> operator()(std::int32_t v) const { return v; }
        std::optional<double> operator()(float v) const { return v; }
        std::optional<double> operator()(double v) const { return v; }
        std::optional<double> operator()(DateTime v) const { return v.days; }
        std::optional<double> operator()(const std::u16string& v) const { return parse_number(v); }
        std::optional<double> operator()(const Bytes&) const { return std::nullopt; }
        std::optional<double> operator()(const ComObject&) const { return std::nullopt; }
    };
    return std::visit(Visitor{}, value);
}

std::optional<std::int32_t> change_to_integer(const Variant& value) {
    std::optional<double> number = change_to_number(value);
    if (!number) {
        return std::nullopt;
    }
    double rounded = std::nearbyint(*number);  // the default rounding mode: half to even
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

std::optional<bool> change_to_boolean(const Variant& value) {
    if (const auto* b = std::get_if<bool>(&value)) {
        return *b;
    }
    if (const auto* text = std::get_if<std::u16string>(&value)) {
        std::string ascii;
        for (char16_t unit : *text) {
            ascii.push_back(unit < 0x80 ? ascii_lower(static_cast<char>(unit)) : '?');
        }
        if (ascii == "true") {
            return true;
        }
        if (ascii == "false") {
            return false;
        }
    }
    std::optional<double> number = change_to_number(value);
    if (!number) {
        return std::nullopt;
    }
    return *number != 0.0;
}

}  // namespace velmora
