// A read-only collection of values with "Count" and "Item"(index, from 0), the shape of the
// platform's automation collections.
#pragma once

#include <vector>

#include "base/automation/automation_class.h"

namespace velmora {

class ItemCollection final : public AutomationObject {
  public:
    explicit ItemCollection(std::vector<Variant> items) : items_(std::move(items)) {}

    const MemberTable& members() const override;

  private:
    void count(MemberCall& call);
    void item(MemberCall& call);

    std::vector<Variant> items_;
};

}  // namespace velmora
