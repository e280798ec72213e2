#include "base/automation/automation.h"

#include <utility>

#include "base/automation/class_registry.h"
#include "base/automation/variant_change.h"
#include "base/automation/automation_class.h"
#include "base/backend.h"
#include "base/gbk.h"

namespace velmora {

namespace {

thread_local AutomationError last_error;

void set_error(AutomationError::Kind kind, Text description) {
    last_error = {kind, std::move(description)};
}

// The access kinds a lookup tries, in order.
std::pair<MemberAccess, MemberAccess> access_order(automation_detail::Intent intent) {
    switch (intent) {
        case automation_detail::Intent::call:
            return {MemberAccess::method, MemberAccess::property_get};
        case automation_detail::Intent::read:
            return {MemberAccess::property_get, MemberAccess::method};
        case automation_detail::Intent::write:
            break;
    }
    return {MemberAccess::property_put, MemberAccess::property_put_ref};
}

}  // namespace

void AutomationObject::call_member(std::string_view member, std::span<const MemberAccess> order,
                                   MemberCall& call) {
    const MemberTable::Entry* entry = nullptr;
    for (MemberAccess access : order) {
        if ((entry = members().find(member, access)) != nullptr) {
            break;
        }
    }
    if (entry == nullptr) {
        call.fail({AutomationError::Kind::unknown_member, "no member named " + Text(member)});
    } else if (call.count() < entry->min_arguments || call.count() > entry->max_arguments) {
        call.fail({AutomationError::Kind::wrong_argument_count,
                   Text(member) + " does not take " + std::to_string(call.count()) + " arguments"});
    } else {
        entry->handler(*this, call);
    }
}

AutomationValue::AutomationValue(const Text& text) : variant_(to_wide(text)) {}

const AutomationError& last_automation_error() {
    return last_error;
}

bool create_object(ComObject& object, const Text& class_name, const Text& /*type_library_file*/) {
    last_error = {};
    // Our classes first; then, where the platform has component automation, its own.
    AutomationFactory factory = find_automation_class(class_name);
    ComObject created = factory ? factory() : backend::create_platform_object(class_name);
    if (!created) {
        set_error(
            AutomationError::Kind::unknown_class,
            factory ? "class " + class_name + " did not start" : "no class named " + class_name);
        return false;
    }
    object = std::move(created);
    return true;
}

void release_object(ComObject& object) {
    object.reset();
}

bool object_is_empty(const ComObject& object) {
    return object == nullptr;
}

void copy_object(ComObject& target, const ComObject& source) {
    target = source;
}

Text variant_text(const Variant& value) {
    std::optional<std::u16string> text = change_to_string(value);
    return text ? from_wide(*text) : Text();
}

Bytes variant_bytes(const Variant& value) {
    const auto* bytes = std::get_if<Bytes>(&value);
    return bytes ? *bytes : Bytes();
}

bool set_variant(Variant& target, const AutomationValue& value) {
    target = value.variant();
    return true;
}

void clear_variant(Variant& target) {
    target = std::monostate{};
}

void copy_variant(Variant& target, const Variant& source) {
    target = source;
}

bool write_property(const ComObject& object, const Text& member, const AutomationValue& value) {
    automation_detail::invoke(object, member, automation_detail::Intent::write, {value});
    return !last_error;
}

bool write_property(const ComObject& object, const Text& member, const AutomationArguments& indexes,
                    const AutomationValue& value) {
    AutomationArguments arguments = indexes;
    arguments.push_back(value);
    automation_detail::invoke(object, member, automation_detail::Intent::write, arguments);
    return !last_error;
}

namespace automation_detail {

Variant invoke(const ComObject& object, const Text& member, Intent intent,
               const AutomationArguments& arguments) {
    last_error = {};
    if (!object) {
        set_error(AutomationError::Kind::no_object, "no object for " + member);
        return {};
    }
    std::vector<Variant> values;
    values.reserve(arguments.size());
    for (const AutomationValue& argument : arguments) {
        values.push_back(argument.variant());
    }
    auto [first, second] = access_order(intent);
    const MemberAccess order[] = {first, second};
    MemberCall call(values);
    object->call_member(member, order, call);
    if (call.error()) {
        last_error = call.error();
        return {};
    }
    return call.result();
}

Text result_text(const Variant& result) {
    std::optional<std::u16string> text = change_to_string(result);
    if (!text) {
        set_error(AutomationError::Kind::type_mismatch, "the result is not a string");
        return {};
    }
    return from_wide(*text);
}

double result_number(const Variant& result) {
    std::optional<double> number = change_to_number(result);
    if (!number) {
        set_error(AutomationError::Kind::type_mismatch, "the result is not a number");
        return 0.0;
    }
    return *number;
}

ComObject result_object(const Variant& result) {
    if (const auto* object = std::get_if<ComObject>(&result)) {
        return *object;
    }
    if (!std::holds_alternative<std::monostate>(result)) {
        set_error(AutomationError::Kind::type_mismatch, "the result is not an object");
    }
    return {};
}

}  // namespace automation_detail

}  // namespace velmora
