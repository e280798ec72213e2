#include "base/tests/referee/referee_outcome.h"

#include <cstdio>
#include <variant>

#include "base/automation/automation.h"
#include "base/gbk.h"

namespace velmora::referee {

namespace {

std::string hex_bytes(const Text& bytes) {
    std::string out;
    char digits[3];
    for (const char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(byte));
        out += digits;
    }
    return out;
}

std::string hex_units(std::u16string_view units) {
    std::string out;
    char digits[5];
    for (const char16_t unit : units) {
        std::snprintf(digits, sizeof digits, "%04x", static_cast<unsigned>(unit));
        out += digits;
    }
    return out;
}

std::string number(double value) {
    return std::to_string(static_cast<long long>(value));
}

// "~" for the empty value of a group that took no part, else the text in hexadecimal.
std::string submatch_field(const ComObject& submatches, std::int32_t index) {
    const Variant item = read_variant_property(submatches, "Item", index);
    if (std::holds_alternative<std::monostate>(item)) {
        return "~";
    }
    return hex_bytes(variant_text(item));
}

std::string match_field(const ComObject& match) {
    std::string out = "(" + number(read_number_property(match, "FirstIndex")) + "," +
                      number(read_number_property(match, "Length")) + "," +
                      hex_bytes(read_text_property(match, "Value"));
    const ComObject submatches = read_object_property(match, "SubMatches");
    const auto groups = static_cast<std::int32_t>(read_number_property(submatches, "Count"));
    for (std::int32_t group = 0; group < groups; ++group) {
        out += "," + submatch_field(submatches, group);
    }
    return out + ")";
}

// " failed" after a step whose call failed.
std::string failure_mark() {
    return last_automation_error() ? " failed" : "";
}

std::string regexp_outcome(const RefereeCase& test_case) {
    ComObject regexp;
    if (!create_object(regexp, "VBScript.RegExp")) {
        return "no RegExp class";
    }
    write_property(regexp, "IgnoreCase", test_case.switches.ignore_case);
    write_property(regexp, "Global", test_case.switches.global);
    write_property(regexp, "Multiline", test_case.switches.multiline);
    write_property(regexp, "Pattern", kCharsetPattern);
    const Text& subject = test_case.narrow;

    std::string out = "test=" + call_text_method(regexp, "Test", subject) + failure_mark();
    const ComObject matches = call_object_method(regexp, "Execute", subject);
    out += failure_mark();
    const auto count = static_cast<std::int32_t>(read_number_property(matches, "Count"));
    out += " count=" + std::to_string(count) + " matches=";
    for (std::int32_t index = 0; index < count; ++index) {
        out += match_field(read_object_property(matches, "Item", index));
    }
    out += " replace=" + hex_bytes(call_text_method(regexp, "Replace", subject, "[$1]"));
    return out + failure_mark();
}

}  // namespace

const char* kind_name(CaseKind kind) {
    switch (kind) {
        case CaseKind::narrow:
            return "narrow";
        case CaseKind::wide:
            return "wide";
        case CaseKind::regexp:
            return "regexp";
    }
    return "?";
}

std::string input_field(const RefereeCase& test_case) {
    switch (test_case.kind) {
        case CaseKind::narrow:
            return hex_bytes(test_case.narrow);
        case CaseKind::wide:
            return hex_units(test_case.wide);
        case CaseKind::regexp: {
            const RegExpSwitches& on = test_case.switches;
            return std::string(on.ignore_case ? "i" : "-") + (on.global ? "g" : "-") +
                   (on.multiline ? "m" : "-") + ":" + hex_bytes(test_case.narrow);
        }
    }
    return {};
}

std::string outcome_field(const RefereeCase& test_case) {
    switch (test_case.kind) {
        case CaseKind::narrow: {
            const std::u16string wide = to_wide(test_case.narrow);
            return "wide=" + hex_units(wide) + " back=" + hex_bytes(from_wide(wide));
        }
        case CaseKind::wide: {
            const Text narrow = from_wide(test_case.wide);
            return "narrow=" + hex_bytes(narrow) + " back=" + hex_units(to_wide(narrow));
        }
        case CaseKind::regexp:
            return regexp_outcome(test_case);
    }
    return {};
}

}  // namespace velmora::referee
