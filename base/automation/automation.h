// The automation layer: objects created by class name and driven by member name, the way
// the platform's component automation works, over a registry of native classes
// (automation_class.h says how a class is written and registered) and, on Windows, over
// the platform's own classes for names the registry does not hold.
//
// Every operation reports failure through its result (the empty text, 0, an empty object,
// false) and leaves the reason in the calling thread's last automation error, which the
// next automation call on that thread overwrites. Nothing throws.
//
// An object is used only on the thread that created it; the registry may be used from any
// thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "base/types.h"

namespace velmora {

class AutomationObject;

// A reference to an automation object, empty or holding one. Copies share the object; it
// goes away with its last reference.
using ComObject = std::shared_ptr<AutomationObject>;

// An automation value. Strings are UTF-16 inside, as on the platform; texts enter and leave
// through the GBK conversions of base/gbk.h. The empty alternative is std::monostate.
using Variant = std::variant<std::monostate, bool, std::uint8_t, std::int16_t, std::int32_t, float,
                             double, DateTime, std::u16string, Bytes, ComObject>;

// A value handed to set_variant or to a member call, converted to an automation value:
// boolean, byte, 16- and 32-bit integers, float, double and date-time keep their kind; a
// 64-bit integer keeps its low 32 bits; a GBK text becomes a UTF-16 string; Bytes a byte
// array; an object another reference to it; a Variant is taken unchanged.
class AutomationValue {
  public:
    AutomationValue(bool value) : variant_(value) {}
    AutomationValue(std::uint8_t value) : variant_(value) {}
    AutomationValue(std::int16_t value) : variant_(value) {}
    AutomationValue(std::int32_t value) : variant_(value) {}
    AutomationValue(std::int64_t value) : variant_(static_cast<std::int32_t>(value)) {}
    AutomationValue(float value) : variant_(value) {}
    AutomationValue(double value) : variant_(value) {}
    AutomationValue(DateTime value) : variant_(value) {}
    AutomationValue(const Text& text);
    AutomationValue(const char* text) : AutomationValue(text ? Text(text) : Text()) {}
    AutomationValue(Bytes bytes) : variant_(std::move(bytes)) {}
    AutomationValue(ComObject object) : variant_(std::move(object)) {}
    AutomationValue(Variant variant) : variant_(std::move(variant)) {}

    const Variant& variant() const { return variant_; }

  private:
    Variant variant_;
};

// Why the last automation call on this thread failed.
struct AutomationError {
    enum class Kind {
        none,
        unknown_class,         // create_object: no class of that name, or it would not start
        no_object,             // the object variable is empty
        unknown_member,        // no member of that name with a fitting access kind
        wrong_argument_count,  // fewer or more arguments than the member takes
        type_mismatch,         // an argument or the result could not take the kind needed
        raised_by_object,      // the object refused the call; `description` says why
    };
    Kind kind = Kind::none;
    Text description;  // GBK, for logs and tests

    explicit operator bool() const { return kind != Kind::none; }
};

// The calling thread's last automation error (Kind::none after a successful call).
const AutomationError& last_automation_error();

// Creates an object of the class `class_name` — a programmatic identifier such as
// "VBScript.RegExp" (letter case ignored) or a class identifier in braces — and stores it in
// `object`, releasing what it held before. On failure gives false and leaves `object` as it
// was. There are no type libraries here: `type_library_file` is accepted and ignored, which
// is what the platform does when the library does not name the class.
bool create_object(ComObject& object, const Text& class_name, const Text& type_library_file = {});

void release_object(ComObject& object);
bool object_is_empty(const ComObject& object);
// Both variables then reference the same object.
void copy_object(ComObject& target, const ComObject& source);

// The value changed to a string, as GBK text; the empty text when the change fails.
// Integers are decimal, doubles with 15 significant digits and floats with 7 ("%.15G",
// "%.7G"), booleans "True"/"False", dates "YYYY/M/D H:MM:SS" (the time alone on day 0, the
// date alone at midnight).
Text variant_text(const Variant& value);
// The bytes of a byte array; the empty buffer for any other value.
Bytes variant_bytes(const Variant& value);
bool set_variant(Variant& target, const AutomationValue& value);
void clear_variant(Variant& target);
void copy_variant(Variant& target, const Variant& source);

// --- Member calls ---
// The member is looked up by name (letter case ignored): a call tries a method, then a
// property get; a read tries a property get, then a method; a write a property put, then a
// put by reference. Arguments are converted as AutomationValue says.

using AutomationArguments = std::vector<AutomationValue>;

namespace automation_detail {
enum class Intent { call, read, write };
// The member's result, or the empty variant with the thread's last error set.
Variant invoke(const ComObject& object, const Text& member, Intent intent,
               const AutomationArguments& arguments);
// The result changed to the asked kind; a change that fails sets the last error.
Text result_text(const Variant& result);
double result_number(const Variant& result);
ComObject result_object(const Variant& result);
}  // namespace automation_detail

template <typename... Args>
void call_method(const ComObject& object, const Text& member, const Args&... args) {
    automation_detail::invoke(object, member, automation_detail::Intent::call,
                              {AutomationValue(args)...});
}

template <typename... Args>
Text call_text_method(const ComObject& object, const Text& member, const Args&... args) {
    return automation_detail::result_text(automation_detail::invoke(
        object, member, automation_detail::Intent::call, {AutomationValue(args)...}));
}

template <typename... Args>
ComObject call_object_method(const ComObject& object, const Text& member, const Args&... args) {
    return automation_detail::result_object(automation_detail::invoke(
        object, member, automation_detail::Intent::call, {AutomationValue(args)...}));
}

template <typename... Args>
Text read_text_property(const ComObject& object, const Text& member, const Args&... args) {
    return automation_detail::result_text(automation_detail::invoke(
        object, member, automation_detail::Intent::read, {AutomationValue(args)...}));
}

template <typename... Args>
double read_number_property(const ComObject& object, const Text& member, const Args&... args) {
    return automation_detail::result_number(automation_detail::invoke(
        object, member, automation_detail::Intent::read, {AutomationValue(args)...}));
}

template <typename... Args>
ComObject read_object_property(const ComObject& object, const Text& member, const Args&... args) {
    return automation_detail::result_object(automation_detail::invoke(
        object, member, automation_detail::Intent::read, {AutomationValue(args)...}));
}

template <typename... Args>
Variant read_variant_property(const ComObject& object, const Text& member, const Args&... args) {
    return automation_detail::invoke(object, member, automation_detail::Intent::read,
                                     {AutomationValue(args)...});
}

// True exactly when the write succeeded (the last error is then clear).
bool write_property(const ComObject& object, const Text& member, const AutomationValue& value);
// The write of an indexed property, such as Option(4) = 0x3300:
// write_property(request, "Option", {4}, 0x3300). The member receives the indexes first
// and the value last.
bool write_property(const ComObject& object, const Text& member, const AutomationArguments& indexes,
                    const AutomationValue& value);

}  // namespace velmora
