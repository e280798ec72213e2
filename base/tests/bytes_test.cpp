#include "base/bytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/date_time.h"
#include "base/gbk.h"
#include "base/numbers.h"
#include "base/value_text.h"

namespace velmora {
namespace {

const Bytes kAbc{'a', 'b', 'c'};

TEST(BytesCut, ClampsToTheBuffer) {
    EXPECT_EQ(bytes_left(kAbc, 2), (Bytes{'a', 'b'}));
    EXPECT_EQ(bytes_left(kAbc, 9), kAbc);
    EXPECT_TRUE(bytes_left(kAbc, -1).empty());
    EXPECT_EQ(bytes_middle(kAbc, 2, 1), (Bytes{'b'}));
    EXPECT_EQ(bytes_middle(kAbc, 2, 9), (Bytes{'b', 'c'}));
    EXPECT_EQ(bytes_middle(kAbc, -3, 2), (Bytes{'a', 'b'}));
    EXPECT_TRUE(bytes_middle(kAbc, 4, 2).empty());
    EXPECT_TRUE(bytes_middle(kAbc, 1, 0).empty());
    EXPECT_EQ(bytes_length(kAbc), 3);
}

TEST(BytesBuild, BlankJoinAndCopy) {
    EXPECT_EQ(blank_bytes(3), (Bytes{0, 0, 0}));
    EXPECT_TRUE(blank_bytes(-2).empty());
    EXPECT_EQ(join_bytes(kAbc, Bytes{0}, Bytes{}), (Bytes{'a', 'b', 'c', 0}));
    EXPECT_TRUE(join_bytes(Bytes{}, Bytes{}).empty());
    const char memory[] = {'x', '\0', 'y'};
    EXPECT_EQ(bytes_from_memory(memory, 3), (Bytes{'x', 0, 'y'}));
    EXPECT_TRUE(bytes_from_memory(nullptr, 3).empty());
    EXPECT_TRUE(bytes_from_memory(memory, 0).empty());
}

TEST(BytesEqual, OrdersByTheFirstDifferingUnsignedByte) {
    EXPECT_EQ(bytes_equal(kAbc, kAbc), 0);
    EXPECT_EQ(bytes_equal(Bytes{0x7F}, Bytes{0x80}), -1);
    EXPECT_EQ(bytes_equal(Bytes{0x80}, Bytes{0x7F}), 1);
    EXPECT_EQ(bytes_equal(Bytes{'a'}, kAbc), -1);
    EXPECT_EQ(bytes_equal(Bytes{}, Bytes{}), 0);
}

TEST(BytesReadValue, ReadsFromTheStartPaddingWithZeros) {
    EXPECT_EQ(bytes_read_value(Bytes{0x78, 0x56, 0x34, 0x12, 0xFF}, Int32Value{}), 0x12345678);
    EXPECT_EQ(bytes_read_value(Bytes{0xFF, 0xFF, 0xFF, 0xFF}, Int32Value{}), -1);
    EXPECT_EQ(bytes_read_value(Bytes{0x01, 0x02}, Int32Value{}), 0x0201);
    EXPECT_EQ(bytes_read_value(Bytes{}, Int32Value{}), 0);
    EXPECT_EQ(bytes_read_value(Bytes{'a', 'b', 0, 'c'}, TextValue{}), "ab");
    EXPECT_EQ(bytes_read_value(kAbc, TextValue{}), "abc");
}

TEST(ToBytes, LittleEndianStorage) {
    EXPECT_EQ(to_bytes("ab"), (Bytes{'a', 'b'}));
    EXPECT_EQ(to_bytes(std::int32_t{0x01020304}), (Bytes{4, 3, 2, 1}));
    EXPECT_EQ(to_bytes(std::int16_t{-2}), (Bytes{0xFE, 0xFF}));
    EXPECT_EQ(to_bytes(std::uint8_t{7}), (Bytes{7}));
    EXPECT_EQ(to_bytes(std::int64_t{1}), (Bytes{1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(to_bytes(1.0), (Bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    EXPECT_EQ(to_bytes(1.0f), (Bytes{0, 0, 0x80, 0x3F}));
    EXPECT_EQ(to_bytes(DateTime{1.0}), to_bytes(1.0));
    EXPECT_EQ(bytes_read_value(to_bytes(std::int32_t{-123456}), Int32Value{}), -123456);
}

TEST(ToText, FormsOfEachKind) {
    EXPECT_EQ(to_text(std::int32_t{-42}), "-42");
    EXPECT_EQ(to_text(std::int16_t{-32768}), "-32768");
    EXPECT_EQ(to_text(std::uint8_t{255}), "255");
    EXPECT_EQ(to_text(std::int64_t{-9007199254740993}), "-9007199254740993");
    EXPECT_EQ(to_text(0.1), "0.1");
    EXPECT_EQ(to_text(1.0 / 3.0), "0.3333333333333");
    EXPECT_EQ(to_text(1e20), "1e+20");
    EXPECT_EQ(to_text(120.0), "120");
    EXPECT_EQ(to_text(0.1f), "0.1");
    EXPECT_EQ(to_text(3.14159274f), "3.14159");
    EXPECT_EQ(to_text(true), gbk("真"));
    EXPECT_EQ(to_text(false), gbk("假"));
    EXPECT_EQ(to_text(make_date_time(2024, 1, 5, 8)), gbk("2024年1月5日8时"));
    EXPECT_EQ(to_text(Text("abc")), "abc");
    EXPECT_EQ(to_text(Bytes{'a', 0, 'b'}), "a");
}

TEST(Numbers, BitsShiftsAndRemainder) {
    EXPECT_EQ(bit_and(std::int32_t{0b1100}, std::int32_t{0b1010}, std::int32_t{0b1000}), 0b1000);
    EXPECT_EQ(bit_or(std::int32_t{0b0100}, std::int32_t{0b0001}), 0b0101);
    EXPECT_EQ(shift_left(1, 33), 2);
    EXPECT_EQ(shift_left(1, 31), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(shift_left(-1, 4), -16);
    EXPECT_EQ(shift_right(-16, 2), -4);
    EXPECT_EQ(shift_right(-1, 31), -1);
    EXPECT_EQ(shift_right(256, 40), 1);
    EXPECT_EQ(remainder(7.5, 2.0), 1.5);
    EXPECT_EQ(remainder(-7.5, 2.0), -1.5);
    EXPECT_EQ(remainder(7.5, -2.0), 1.5);
}

}  // namespace
}  // namespace velmora
