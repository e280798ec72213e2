// Writing a native automation class: derive from AutomationObject, give it a member table,
// and register a factory under its programmatic identifier.
//
//   class Counter final : public AutomationObject {
//   public:
//       const MemberTable& members() const override {
//           static const MemberTable table{
//               MemberOf<Counter>{"Value", MemberAccess::property_get, 0, 0, &Counter::get},
//               MemberOf<Counter>{"Value", MemberAccess::property_put, 1, 1, &Counter::put},
//               MemberOf<Counter>{"Add", MemberAccess::method, 1, 1, &Counter::add},
//           };
//           return table;
//       }
//   private:
//       void get(MemberCall& call) { call.set_result(value_); }
//       void put(MemberCall& call) { value_ = call.integer(0); }
//       void add(MemberCall& call) { value_ += call.integer(0); }
//       std::int32_t value_ = 0;
//   };
//
//   register_automation_class("Example.Counter", "{…}",
//                             [] { return std::make_shared<Counter>(); });
//
// A property put receives the new value as its last argument. Members are found by name
// with letter case ignored. Classes outside base/ register themselves before their first
// create_object (a function-local static in the code that creates them is enough);
// on Linux, "VBScript.RegExp" is always registered (base/posix/).
#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "base/automation/automation.h"

namespace velmora {

enum class MemberAccess { method, property_get, property_put, property_put_ref };

// One call of a member as the member sees it: the arguments in, a result or a failure out.
// The typed argument readers change the value the way the platform coerces arguments; when
// the change is impossible they record a type mismatch and give a neutral value, and the
// call then fails whatever the member does afterwards.
class MemberCall {
  public:
    explicit MemberCall(std::span<const Variant> arguments) : arguments_(arguments) {}

    std::size_t count() const { return arguments_.size(); }
    // The empty variant past the end.
    const Variant& at(std::size_t index) const;

    Text text(std::size_t index);  // GBK
    std::u16string wide(std::size_t index);
    double number(std::size_t index);
    std::int32_t integer(std::size_t index);  // rounded, as the platform coerces
    bool boolean(std::size_t index);
    Bytes bytes(std::size_t index);  // only a byte array is accepted

    void set_result(Variant result) { result_ = std::move(result); }
    // The object refuses the call.
    void fail(Text description);
    // The call fails for the reason given (a member missing, a wrong count, ...).
    void fail(AutomationError error) {
        if (!error_) {
            error_ = std::move(error);
        }
    }

    const Variant& result() const { return result_; }
    const AutomationError& error() const { return error_; }

  private:
    void mismatch(std::size_t index, const char* wanted);

    std::span<const Variant> arguments_;
    Variant result_;
    AutomationError error_;
};

class AutomationObject;

// A member of class Self: its name, access kind, how many arguments it takes (a put counts
// its value) and the member function that carries it out.
template <typename Self>
struct MemberOf {
    std::string_view name;
    MemberAccess access;
    std::size_t min_arguments;
    std::size_t max_arguments;
    void (Self::*handler)(MemberCall&);
};

class MemberTable {
  public:
    struct Entry {
        std::string_view name;
        MemberAccess access;
        std::size_t min_arguments;
        std::size_t max_arguments;
        std::function<void(AutomationObject&, MemberCall&)> handler;
    };

    template <typename Self>
    MemberTable(std::initializer_list<MemberOf<Self>> members) {
        for (const MemberOf<Self>& member : members) {
            auto handler = member.handler;
            entries_.push_back({member.name, member.access, member.min_arguments,
                                member.max_arguments,
                                [handler](AutomationObject& object, MemberCall& call) {
                                    (static_cast<Self&>(object).*handler)(call);
                                }});
        }
    }

    // The member of that name (ASCII letter case ignored) and access kind, or nullptr.
    const Entry* find(std::string_view name, MemberAccess access) const;

  private:
    std::vector<Entry> entries_;
};

class AutomationObject {
  public:
    virtual ~AutomationObject() = default;
    virtual const MemberTable& members() const = 0;
    // Carries out a call of `member`, trying the access kinds in `order`; this finds the
    // member in members() and checks the argument count. Objects of the platform's own
    // component automation, which have no member table, take the whole call themselves.
    virtual void call_member(std::string_view member, std::span<const MemberAccess> order,
                             MemberCall& call);
};

// Makes a new object; an empty result means the class could not start.
using AutomationFactory = std::function<ComObject()>;

// Registers a class under its programmatic identifier and, when `braced_class_id` is not
// empty, under that class identifier too ("{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", hex
// digits in either case). Gives false, and registers nothing, when either name is taken or
// the class identifier is malformed. Safe to call from any thread.
bool register_automation_class(const Text& prog_id, const Text& braced_class_id,
                               AutomationFactory factory);

}  // namespace velmora
