#include "base/posix/kernel_address_flags.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

Ipv6Bytes bytes(std::initializer_list<std::uint8_t> head, std::uint8_t last) {
    Ipv6Bytes address{};
    std::copy(head.begin(), head.end(), address.begin());
    address[15] = last;
    return address;
}

TEST(KernelAddressTable, ReadsAddressNameAndFlagsOfEachLine) {
    // Flags: 0x80 permanent, 0x01 temporary, 0x20 deprecated, 0x40 tentative,
    // 0x04 optimistic, 0x08 duplicate detected, 0x02 no duplicate check.
    const std::vector<InterfaceAddress> table = parse_kernel_address_table(
        "00000000000000000000000000000001 01 80 10 80       lo\n"
        "20010db8000000000000000000000001 02 40 00 80     eth0\n"
        "20010db8000000000000000000000002 02 40 00 01     eth0\n"
        "20010db8000000000000000000000003 02 40 00 a0     eth0\n"
        "20010db8000000000000000000000004 02 40 00 21     eth0\n"
        "20010db8000000000000000000000005 02 40 00 40     eth0\n"
        "20010db8000000000000000000000006 02 40 00 44     eth0\n"
        "20010db8000000000000000000000007 02 40 00 48     eth0\n"
        "20010DB8000000000000000000000008 1a2 40 00 82 wlp0s20f3\n");
    const std::vector<InterfaceAddress> expected{
        {.interface_name = "lo", .address = bytes({}, 1)},
        {.interface_name = "eth0", .address = bytes({0x20, 0x01, 0x0d, 0xb8}, 1)},
        {.interface_name = "eth0",
         .address = bytes({0x20, 0x01, 0x0d, 0xb8}, 2),
         .temporary = true},
        {.interface_name = "eth0",
         .address = bytes({0x20, 0x01, 0x0d, 0xb8}, 3),
         .deprecated = true},
        {.interface_name = "eth0",
         .address = bytes({0x20, 0x01, 0x0d, 0xb8}, 4),
         .temporary = true,
         .deprecated = true},
        {.interface_name = "eth0",
         .address = bytes({0x20, 0x01, 0x0d, 0xb8}, 5),
         .tentative = true},
        // Optimistic: usable while its check runs.
        {.interface_name = "eth0", .address = bytes({0x20, 0x01, 0x0d, 0xb8}, 6)},
        {.interface_name = "eth0",
         .address = bytes({0x20, 0x01, 0x0d, 0xb8}, 7),
         .tentative = true},
        {.interface_name = "wlp0s20f3", .address = bytes({0x20, 0x01, 0x0d, 0xb8}, 8)},
    };
    EXPECT_EQ(table, expected);
}

TEST(KernelAddressTable, SkipsLinesThatAreNotWellFormed) {
    EXPECT_TRUE(parse_kernel_address_table("").empty());
    EXPECT_TRUE(parse_kernel_address_table(
                    "20010db800000000000000000000001 02 40 00 80 eth0\n"    // 31 digits
                    "20010db80000000000000000000000001 02 40 00 80 eth0\n"  // 33 digits
                    "20010db800000000000000000000000g 02 40 00 80 eth0\n"   // not hex
                    "20010db8000000000000000000000001 02 40 00 zz eth0\n"   // flags not hex
                    "20010db8000000000000000000000001 02 40 00 80\n"        // no name
                    "20010db8000000000000000000000001 -2 40 00 80 eth0\n")  // signed index
                    .empty());
    // A good line after bad ones, and one cut short at the end, are each judged alone.
    EXPECT_EQ(parse_kernel_address_table("junk\n"
                                         "20010db8000000000000000000000001 02 40 00 80 eth0\n"
                                         "20010db8000000000000000000000002 02 40")
                  .size(),
              1u);
}

}  // namespace
}  // namespace velmora
