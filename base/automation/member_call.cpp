#include <string>

#include "base/automation/names.h"
#include "base/automation/variant_change.h"
#include "base/automation/automation_class.h"
#include "base/gbk.h"

namespace velmora {

const Variant& MemberCall::at(std::size_t index) const {
    static const Variant empty;
    return index < arguments_.size() ? arguments_[index] : empty;
}

Text MemberCall::text(std::size_t index) {
    return from_wide(wide(index));
}

std::u16string MemberCall::wide(std::size_t index) {
    std::optional<std::u16string> value = change_to_string(at(index));
    if (!value) {
        mismatch(index, "string");
        return {};
    }
    return *value;
}

double MemberCall::number(std::size_t index) {
    std::optional<double> value = change_to_number(at(index));
    if (!value) {
        mismatch(index, "number");
        return 0.0;
    }
    return *value;
}

std::int32_t MemberCall::integer(std::size_t index) {
    std::optional<std::int32_t> value = change_to_integer(at(index));
    if (!value) {
        mismatch(index, "32-bit integer");
        return 0;
    }
    return *value;
}

bool MemberCall::boolean(std::size_t index) {
    std::optional<bool> value = change_to_boolean(at(index));
    if (!value) {
        mismatch(index, "boolean");
        return false;
    }
    return *value;
}

Bytes MemberCall::bytes(std::size_t index) {
    if (const auto* value = std::get_if<Bytes>(&at(index))) {
        return *value;
    }
    mismatch(index, "byte array");
    return {};
}

void MemberCall::fail(Text description) {
    if (!error_) {
        error_ = {AutomationError::Kind::raised_by_object, std::move(description)};
    }
}

void MemberCall::mismatch(std::size_t index, const char* wanted) {
    if (!error_) {
        error_ = {AutomationError::Kind::type_mismatch,
                  "argument " + std::to_string(index + 1) + " is not a " + wanted};
    }
}

const MemberTable::Entry* MemberTable::find(std::string_view name, MemberAccess access) const {
    for (const Entry& entry : entries_) {
        if (entry.access == access && same_name_ignoring_case(entry.name, name)) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace velmora
