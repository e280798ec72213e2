#include "sandbox/form_decode.h"

#include <gtest/gtest.h>

namespace velmora::sandbox {
namespace {

TEST(FormDecode, PercentAndPlusDecodeInKeysAndValues) {
    const FormFields fields = decode_form("a%20b=c+d%2Be&tok=x%26y%3D1&%7e=%7E");
    EXPECT_EQ(form_value(fields, "a b"), "c d+e");
    EXPECT_EQ(form_value(fields, "tok"), "x&y=1");
    EXPECT_EQ(form_value(fields, "~"), "~");
}

TEST(FormDecode, LaterKeyWinsAndBareKeyIsEmpty) {
    // The record-list body repeats sub_domain at the end without "=", which must
    // lift the earlier www filter.
    const FormFields fields =
        decode_form("sub_domain=www&record_type=A&offset=0&length=20&sub_domain");
    ASSERT_EQ(fields.count("sub_domain"), 1u);
    EXPECT_EQ(form_value(fields, "sub_domain", "absent"), "");
    EXPECT_EQ(form_value(fields, "record_type"), "A");
    EXPECT_EQ(form_value(fields, "missing", "absent"), "absent");
}

TEST(FormDecode, RawNonAsciiBytesAndMalformedEscapesAreKept) {
    // "默认" in GBK, sent unencoded, then percent-encoded; a stray '%' stays literal.
    const FormFields fields =
        decode_form("record_line=\xC4\xAC\xC8\xCF&enc=%C4%AC%C8%CF&odd=50%&bad=%zz%4");
    EXPECT_EQ(form_value(fields, "record_line"), "\xC4\xAC\xC8\xCF");
    EXPECT_EQ(form_value(fields, "enc"), "\xC4\xAC\xC8\xCF");
    EXPECT_EQ(form_value(fields, "odd"), "50%");
    EXPECT_EQ(form_value(fields, "bad"), "%zz%4");
}

TEST(FormDecode, EmptyPiecesAreSkippedAndOnlyTheFirstEqualsSplits) {
    const FormFields fields = decode_form("&&a=1==2&&=v&");
    EXPECT_EQ(form_value(fields, "a"), "1==2");
    EXPECT_EQ(form_value(fields, ""), "v");
    EXPECT_EQ(fields.size(), 2u);
}

}  // namespace
}  // namespace velmora::sandbox
