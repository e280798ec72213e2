#include "base/posix/text_stream_object.h"

#include <gtest/gtest.h>

#include <string_view>

#include "base/automation_class.h"
#include "base/gbk.h"

namespace velmora {
namespace {

Bytes bytes_of(std::string_view raw) {
    return Bytes(raw.begin(), raw.end());
}

// The response decoder's sequence: write the body in binary, rewind, read it back as text
// in the declared charset.
Text decode(const Bytes& body, const Text& charset) {
    ComObject stream;
    EXPECT_TRUE(create_object(stream, "Adodb.Stream"));
    write_property(stream, "Type", 1);
    write_property(stream, "Mode", 3);
    call_method(stream, "Open");
    Variant bytes;
    set_variant(bytes, body);
    call_method(stream, "Write", bytes);
    write_property(stream, "Position", 0);
    write_property(stream, "Type", 2);
    write_property(stream, "Charset", charset);
    Text text = call_text_method(stream, "ReadText");
    call_method(stream, "Close");
    return text;
}

TEST(StreamDecoding, Utf8BytesBecomeGbkText) {
    const Bytes page = bytes_of("<meta charset=utf-8><p>\xe4\xb8\xad\xe6\x96\x87 ok</p>");
    EXPECT_EQ(decode(page, "utf-8"), gbk("<meta charset=utf-8><p>中文 ok</p>"));
    EXPECT_EQ(decode(page, "UTF-8"), gbk("<meta charset=utf-8><p>中文 ok</p>"));
    EXPECT_EQ(decode(bytes_of("\xef\xbb\xbf\xe4\xb8\xad"), "utf-8"), gbk("中"))
        << "the byte-order mark is dropped";
}

TEST(StreamDecoding, CharactersOutsideGbkAreDroppedAndTheTextAroundThemKept) {
    // U+2022 (a bullet) and U+1F600 (an emoji) have no GBK form.
    EXPECT_EQ(decode(bytes_of("x\xe2\x80\xa2y \xf0\x9f\x98\x80\xe4\xb8\xad!"), "utf-8"),
              gbk("xy 中!"));
}

TEST(StreamDecoding, EveryNameOfGb2312OrGbkGivesTheSameTextWithGbkOnlyCharacters) {
    // 堃, 喆 and 镕 are outside GB2312; pages that declare it carry them all the same.
    const Text text = gbk("默认线路 堃喆镕");
    for (const char* charset : {"GB2312", "gb2312", "Gb2312", "GBK", "x-gbk", "X-GBK", "gb_2312",
                                "gb_2312-80", "GB2312-80", "csGB2312", "csISO58GB231280",
                                "iso-ir-58", "chinese", "EUC-CN", "cp936"}) {
        EXPECT_EQ(decode(bytes_of(text), charset), text) << charset;
    }
    EXPECT_EQ(decode(bytes_of(text), "gb2312x"), "") << "only whole names are aliases";
}

TEST(StreamDecoding, UnknownOrMalformedCharsetsGiveTheEmptyTextAndBadBytesAreSkipped) {
    const Bytes page = bytes_of("abc");
    EXPECT_EQ(decode(page, "x-no-such-charset"), "");
    EXPECT_EQ(decode(page, "utf-8//TRANSLIT"), "");
    EXPECT_EQ(decode(page, ""), "");
    EXPECT_EQ(decode(bytes_of("a\xff\xfe"
                              "b\xe4\xb8"),
                     "utf-8"),
              "ab");
    EXPECT_EQ(decode({}, "utf-8"), "");
}

TEST(StreamDecoding, TheDefaultCharsetIsUtf16) {
    ComObject stream;
    ASSERT_TRUE(create_object(stream, "Adodb.Stream"));
    EXPECT_EQ(read_text_property(stream, "Charset"), "Unicode");
    write_property(stream, "Type", 1);
    call_method(stream, "Open");
    call_method(stream, "Write", Bytes{'h', 0, 0x2d, 0x4e});
    write_property(stream, "Position", 0);
    write_property(stream, "Type", 2);
    EXPECT_EQ(call_text_method(stream, "ReadText"), gbk("h中"));
    EXPECT_EQ(read_number_property(stream, "Position"), 4.0);
}

TEST(StreamRules, CallsOutOfOrderFailWithoutHarm) {
    ComObject stream;
    ASSERT_TRUE(create_object(stream, "Adodb.Stream"));
    call_method(stream, "ReadText");
    EXPECT_EQ(last_automation_error().kind, AutomationError::Kind::raised_by_object)
        << "reading a closed stream";

    call_method(stream, "Open");
    call_method(stream, "Write", Bytes{1});
    EXPECT_TRUE(last_automation_error()) << "Write on a text stream";
    EXPECT_FALSE(write_property(stream, "Mode", 3)) << "the mode is set while closed";
    EXPECT_TRUE(write_property(stream, "Type", 1));
    call_method(stream, "Write", bytes_of("abcd"));
    EXPECT_FALSE(write_property(stream, "Type", 2)) << "the type changes only at position 0";
    EXPECT_FALSE(write_property(stream, "Position", 5));
    EXPECT_FALSE(write_property(stream, "Position", -1));
    EXPECT_TRUE(write_property(stream, "Position", 1));
    call_method(stream, "Write", bytes_of("XYZW"));
    EXPECT_EQ(read_number_property(stream, "Size"), 5.0) << "overwrites, then grows";
    call_method(stream, "Write", "text");
    EXPECT_EQ(last_automation_error().kind, AutomationError::Kind::type_mismatch);
    call_method(stream, "Open");
    EXPECT_TRUE(last_automation_error()) << "opening twice";

    call_method(stream, "Close");
    EXPECT_FALSE(last_automation_error());
    call_method(stream, "Close");
    EXPECT_TRUE(last_automation_error());
}

}  // namespace
}  // namespace velmora
