#include "base/automation/item_collection.h"

#include <string>

namespace velmora {

const MemberTable& ItemCollection::members() const {
    using Member = MemberOf<ItemCollection>;
    static const MemberTable table{
        Member{"Count", MemberAccess::property_get, 0, 0, &ItemCollection::count},
        Member{"Item", MemberAccess::property_get, 1, 1, &ItemCollection::item},
    };
    return table;
}

void ItemCollection::count(MemberCall& call) {
    call.set_result(static_cast<std::int32_t>(items_.size()));
}

void ItemCollection::item(MemberCall& call) {
    std::int32_t index = call.integer(0);
    if (call.error()) {
        return;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) {
        call.fail("no item " + std::to_string(index));
        return;
    }
    call.set_result(items_[static_cast<std::size_t>(index)]);
}

}  // namespace velmora
