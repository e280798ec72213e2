#include "base/automation/class_registry.h"

#include <map>
#include <mutex>
#include <utility>

#include "base/automation/names.h"
#include "base/backend.h"

namespace velmora {

namespace {

bool is_hex_digit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}".
bool is_braced_class_id(const Text& name) {
    constexpr std::string_view shape = "{........-....-....-....-............}";
    if (name.size() != shape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == '.' ? !is_hex_digit(name[i]) : name[i] != shape[i]) {
            return false;
        }
    }
    return true;
}

Text lookup_key(const Text& name) {
    Text key = name;
    for (char& c : key) {
        c = ascii_lower(c);
    }
    return key;
}

class ClassRegistry {
  public:
    ClassRegistry() {
        for (backend::BuiltinClass& builtin : backend::builtin_automation_classes()) {
            add(builtin.prog_id, builtin.class_id, std::move(builtin.factory));
        }
    }

    bool add(const Text& prog_id, const Text& class_id, AutomationFactory factory) {
        if (prog_id.empty() || prog_id.front() == '{' || !factory ||
            (!class_id.empty() && !is_braced_class_id(class_id))) {
            return false;
        }
        std::lock_guard lock(mutex_);
        const Text prog_key = lookup_key(prog_id);
        const Text class_key = lookup_key(class_id);
        if (classes_.contains(prog_key) || (!class_id.empty() && classes_.contains(class_key))) {
            return false;
        }
        classes_.emplace(prog_key, factory);
        if (!class_id.empty()) {
            classes_.emplace(class_key, std::move(factory));
        }
        return true;
    }

    AutomationFactory find(const Text& class_name) {
        std::lock_guard lock(mutex_);
        auto found = classes_.find(lookup_key(class_name));
        return found == classes_.end() ? AutomationFactory{} : found->second;
    }

  private:
    std::mutex mutex_;
    std::map<Text, AutomationFactory> classes_;
};

ClassRegistry& registry() {
    static ClassRegistry instance;
    return instance;
}

}  // namespace

AutomationFactory find_automation_class(const Text& class_name) {
    return registry().find(class_name);
}

bool register_automation_class(const Text& prog_id, const Text& braced_class_id,
                               AutomationFactory factory) {
    return registry().add(prog_id, braced_class_id, std::move(factory));
}

}  // namespace velmora
