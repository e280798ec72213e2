#include "app/window/tray_texts.h"

#include <gtest/gtest.h>

#include "base/gbk.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

TEST(TrayTexts, TheTooltipGrowsWithWhatIsKnown) {
    EXPECT_EQ(tray_tooltip({}, {}), "Velmora");
    EXPECT_EQ(tray_tooltip_waiting(gbk("711 发送请求失败!")),
              "Velmora\n" + gbk("等待网络，稍后自动登入\n711 发送请求失败!"));
    EXPECT_EQ(tray_tooltip_waiting({}), "Velmora");
    EXPECT_EQ(tray_tooltip("198.51.100.10", gbk("2026年12月10日8时30分")),
              "Velmora\n" + gbk("公网IP：") + "198.51.100.10\n" + gbk("上次检测：") +
                  gbk("2026年12月10日8时30分"));
}

TEST(NotificationThrottle, AtMostOneAMinute) {
    std::chrono::steady_clock::time_point now{};
    NotificationThrottle throttle([&] { return now; });
    EXPECT_TRUE(throttle.may_show());
    now += 59s;
    EXPECT_FALSE(throttle.may_show());
    now += 1s;
    EXPECT_TRUE(throttle.may_show());
    EXPECT_FALSE(throttle.may_show());
}

}  // namespace
}  // namespace velmora
