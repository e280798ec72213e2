#include "base/automation/automation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "base/automation/automation_class.h"
#include "base/date_time.h"
#include "base/gbk.h"

namespace velmora {
namespace {

// A class whose members show which access kind a lookup reached.
class Probe final : public AutomationObject {
  public:
    const MemberTable& members() const override {
        using Member = MemberOf<Probe>;
        static const MemberTable table{
            Member{"Both", MemberAccess::method, 0, 0, &Probe::both_method},
            Member{"Both", MemberAccess::property_get, 0, 0, &Probe::both_property},
            Member{"OnlyMethod", MemberAccess::method, 0, 0, &Probe::both_method},
            Member{"OnlyProperty", MemberAccess::property_get, 0, 0, &Probe::both_property},
            Member{"Value", MemberAccess::property_get, 0, 0, &Probe::get_value},
            Member{"Value", MemberAccess::property_put, 1, 1, &Probe::put_value},
            Member{"Target", MemberAccess::property_put_ref, 1, 1, &Probe::put_target},
            Member{"Add", MemberAccess::method, 1, 2, &Probe::add},
            Member{"Refuse", MemberAccess::method, 0, 0, &Probe::refuse},
            Member{"Slot", MemberAccess::property_get, 1, 1, &Probe::get_slot},
            Member{"Slot", MemberAccess::property_put, 2, 2, &Probe::put_slot},
        };
        return table;
    }

    ComObject target;

  private:
    void both_method(MemberCall& call) { call.set_result(to_wide("method")); }
    void both_property(MemberCall& call) { call.set_result(to_wide("property")); }
    void get_value(MemberCall& call) { call.set_result(value_); }
    void put_value(MemberCall& call) {
        std::int32_t value = call.integer(0);
        if (!call.error()) {
            value_ = value;
        }
    }
    void put_target(MemberCall& call) {
        if (const auto* object = std::get_if<ComObject>(&call.at(0))) {
            target = *object;
        } else {
            call.fail("not an object");
        }
    }
    void add(MemberCall& call) {
        value_ += call.integer(0) + (call.count() > 1 ? call.integer(1) : 0);
        call.set_result(value_);
    }
    void refuse(MemberCall& call) { call.fail("refused"); }
    void get_slot(MemberCall& call) { call.set_result(slots_[call.integer(0) % 4]); }
    void put_slot(MemberCall& call) { slots_[call.integer(0) % 4] = call.integer(1); }

    std::int32_t value_ = 0;
    std::int32_t slots_[4] = {};
};

constexpr const char* kProbeId = "Test.Probe";
constexpr const char* kProbeClassId = "{0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d}";

ComObject make_probe() {
    static const bool registered = register_automation_class(
        kProbeId, kProbeClassId, [] { return std::make_shared<Probe>(); });
    EXPECT_TRUE(registered);
    ComObject object;
    EXPECT_TRUE(create_object(object, kProbeId));
    return object;
}

TEST(CreateObject, AnUnknownClassGivesFalseAndLeavesTheVariableAsItWas) {
    ComObject object;
    EXPECT_FALSE(create_object(object, "No.Such.Class"));
    EXPECT_TRUE(object_is_empty(object));
    EXPECT_EQ(last_automation_error().kind, AutomationError::Kind::unknown_class);

    ComObject held = make_probe();
    ComObject before = held;
    EXPECT_FALSE(create_object(held, "{00000000-0000-0000-0000-000000000000}"));
    EXPECT_EQ(held, before);
}

TEST(CreateObject, FindsClassesByIdentifierIgnoringCaseAndByBracedClassId) {
    make_probe();
    ComObject object;
    EXPECT_TRUE(create_object(object, "test.PROBE"));
    EXPECT_FALSE(object_is_empty(object));
    EXPECT_FALSE(last_automation_error());

    ComObject first = object;
    EXPECT_TRUE(create_object(object, "{0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}", "ignored.tlb"));
    EXPECT_NE(object, first);
    EXPECT_EQ(read_text_property(object, "Both"), "property");
}

TEST(RegisterClass, RefusesTakenNamesAndMalformedClassIds) {
    auto factory = [] { return ComObject(std::make_shared<Probe>()); };
    EXPECT_TRUE(register_automation_class("Test.Once", "", factory));
    EXPECT_FALSE(register_automation_class("TEST.ONCE", "", factory));
    EXPECT_FALSE(register_automation_class("Test.Other", kProbeClassId, factory));
    EXPECT_FALSE(register_automation_class("Test.Malformed", "{1234}", factory));
    ComObject object;
    EXPECT_FALSE(create_object(object, "Test.Other"));
    EXPECT_FALSE(create_object(object, "Test.Malformed"));

    EXPECT_TRUE(register_automation_class("Test.Broken", "", [] { return ComObject(); }));
    EXPECT_FALSE(create_object(object, "Test.Broken"));
    EXPECT_TRUE(object_is_empty(object));
}

TEST(RegisterClass, ConcurrentRegistrationsAndCreationsAllSucceed) {
    make_probe();
    std::atomic<int> created = 0;
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([i, &created] {
            const Text name = "Test.Concurrent" + std::to_string(i);
            register_automation_class(name, "", [] { return std::make_shared<Probe>(); });
            for (int round = 0; round < 50; ++round) {
                ComObject object;
                if (create_object(object, name) && create_object(object, kProbeId)) {
                    ++created;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(created, 200);
}

TEST(MemberCalls, TryTheAccessKindsInTheirOrder) {
    ComObject probe = make_probe();
    EXPECT_EQ(call_text_method(probe, "Both"), "method");
    EXPECT_EQ(read_text_property(probe, "both"), "property");
    EXPECT_EQ(call_text_method(probe, "OnlyProperty"), "property");
    EXPECT_EQ(read_text_property(probe, "OnlyMethod"), "method");

    EXPECT_TRUE(write_property(probe, "VALUE", 41));
    EXPECT_EQ(read_number_property(probe, "Value"), 41.0);
    EXPECT_EQ(read_number_property(probe, "Add", 1), 42.0);

    ComObject other = make_probe();
    EXPECT_TRUE(write_property(probe, "Target", other));
    EXPECT_EQ(static_cast<Probe&>(*probe).target, other);
    EXPECT_FALSE(write_property(probe, "Both", 1));  // no put of that name

    EXPECT_TRUE(write_property(probe, "Slot", {2}, 0x3300));
    EXPECT_EQ(read_number_property(probe, "Slot", 2), 0x3300);
    EXPECT_EQ(read_number_property(probe, "Slot", 1), 0.0);
    EXPECT_FALSE(write_property(probe, "Slot", 5)) << "the index is missing";
}

TEST(MemberCalls, FailuresGiveEmptyResultsAndSetTheThreadsLastError) {
    ComObject probe = make_probe();
    EXPECT_EQ(call_text_method(probe, "Missing"), "");
    EXPECT_EQ(last_automation_error().kind, AutomationError::Kind::unknown_member);
    EXPECT_TRUE(object_is_empty(call_object_method(probe, "Missing")));
    EXPECT_EQ(read_number_property(probe, "Missing"), 0.0);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(read_variant_property(probe, "Missing")));

    EXPECT_EQ(read_number_property(probe, "Add", 1, 2, 3), 0.0);
    EXPECT_EQ(last_automation_error().kind, AutomationError::Kind::wrong_argument_count);
    EXPECT_EQ(read_number_property(probe, "Add"), 0.0);

    EXPECT_FALSE(write_property(probe, "Value", Bytes{1, 2}));
    EXPECT_EQ(last_automation_error().kind, AutomationError::Kind::type_mismatch);
    EXPECT_EQ(read_number_property(probe, "Value"), 0.0) << "a refused write changes nothing";
    EXPECT_FALSE(last_automation_error()) << "a successful call clears the error";

    call_method(probe, "Refuse");
    EXPECT_EQ(last_automation_error().kind, AutomationError::Kind::raised_by_object);
    EXPECT_EQ(last_automation_error().description, "refused");

    // An object result read as text is a mismatch, not a crash.
    ASSERT_TRUE(write_property(probe, "Target", ComObject(std::make_shared<Probe>())));
    EXPECT_EQ(read_text_property(probe, "Target"), "");

    ComObject empty;
    EXPECT_EQ(call_text_method(empty, "Both"), "");
    EXPECT_EQ(last_automation_error().kind, AutomationError::Kind::no_object);
    EXPECT_FALSE(write_property(empty, "Value", 1));
}

TEST(MemberCalls, TheLastErrorBelongsToTheCallingThreadOnly) {
    ComObject probe = make_probe();
    call_method(probe, "Missing");
    ASSERT_TRUE(last_automation_error());

    bool other_thread_clear_before = false;
    bool other_thread_clear_after = false;
    std::thread other([&] {
        other_thread_clear_before = !last_automation_error();
        ComObject own = make_probe();
        call_method(own, "Both");
        other_thread_clear_after = !last_automation_error();
    });
    other.join();
    EXPECT_TRUE(other_thread_clear_before);
    EXPECT_TRUE(other_thread_clear_after);
    EXPECT_EQ(last_automation_error().kind, AutomationError::Kind::unknown_member);
}

TEST(Objects, CopiesShareTheObjectAndReleaseEmptiesOneVariable) {
    ComObject probe = make_probe();
    ComObject copy;
    copy_object(copy, probe);
    write_property(copy, "Value", 7);
    release_object(probe);
    EXPECT_TRUE(object_is_empty(probe));
    EXPECT_EQ(read_number_property(copy, "Value"), 7.0);
}

TEST(Variants, ValuesBecomeTheirAutomationKinds) {
    Variant v;
    EXPECT_TRUE(set_variant(v, true));
    EXPECT_EQ(v, Variant(true));
    set_variant(v, std::int64_t{0x1'0000'0005});
    EXPECT_EQ(v, Variant(std::int32_t{5})) << "a 64-bit integer keeps its low 32 bits";
    set_variant(v, gbk("默认 abc"));
    EXPECT_EQ(v, Variant(std::u16string(u"默认 abc")));
    EXPECT_EQ(variant_text(v), gbk("默认 abc"));
    set_variant(v, Bytes{0, 1, 255});
    EXPECT_EQ(variant_bytes(v), (Bytes{0, 1, 255}));
    EXPECT_EQ(variant_text(v), "") << "a byte array has no string form";

    Variant copy;
    copy_variant(copy, v);
    EXPECT_EQ(copy, v);
    clear_variant(v);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(v));
    EXPECT_TRUE(variant_bytes(v).empty());
}

TEST(Variants, TextFormsOfNumbersBooleansAndDates) {
    EXPECT_EQ(variant_text(Variant()), "");
    EXPECT_EQ(variant_text(Variant(false)), "False");
    EXPECT_EQ(variant_text(Variant(true)), "True");
    EXPECT_EQ(variant_text(Variant(std::uint8_t{255})), "255");
    EXPECT_EQ(variant_text(Variant(std::int16_t{-12})), "-12");
    EXPECT_EQ(variant_text(Variant(std::int32_t{200})), "200");
    EXPECT_EQ(variant_text(Variant(0.1)), "0.1");
    EXPECT_EQ(variant_text(Variant(1e20)), "1E+20");
    EXPECT_EQ(variant_text(Variant(2.5f)), "2.5");
    EXPECT_EQ(variant_text(Variant(make_date_time(2026, 12, 8, 8, 30, 0))), "2026/12/8 8:30:00");
    EXPECT_EQ(variant_text(Variant(make_date_time(2026, 12, 8))), "2026/12/8");
    EXPECT_EQ(variant_text(Variant(DateTime{0.25})), "6:00:00");
    EXPECT_EQ(variant_text(Variant(DateTime{0.0})), "0:00:00");
}

TEST(Variants, ArgumentsChangeToTheKindAMemberReads) {
    ComObject probe = make_probe();
    EXPECT_TRUE(write_property(probe, "Value", "12"));
    EXPECT_EQ(read_number_property(probe, "Value"), 12.0);
    EXPECT_TRUE(write_property(probe, "Value", 2.5));
    EXPECT_EQ(read_number_property(probe, "Value"), 2.0) << "rounded half to even";
    EXPECT_TRUE(write_property(probe, "Value", true));
    EXPECT_EQ(read_number_property(probe, "Value"), -1.0);
    EXPECT_FALSE(write_property(probe, "Value", "12abc"));
    EXPECT_FALSE(write_property(probe, "Value", 1e12));
    EXPECT_EQ(read_text_property(probe, "Value"), "-1");
}

}  // namespace
}  // namespace velmora
