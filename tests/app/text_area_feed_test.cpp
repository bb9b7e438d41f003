#include <gtest/gtest.h>

#include "app/text_area_feed.h"

namespace imm {
namespace {

TEST(TextAreaFeed, HoldsBackACharacterUntilItsLastByteComes) {
    TextAreaFeed feed;
    EXPECT_EQ(feed.take("abc\xE2\x82"), "abc");  // the first two bytes of the euro sign
    EXPECT_EQ(feed.take("\xAC"), "\xE2\x82\xAC");
    EXPECT_EQ(feed.take("\xF0"), "");  // a four-byte character, byte by byte
    EXPECT_EQ(feed.take("\x9F"), "");
    EXPECT_EQ(feed.take("\x98"), "");
    EXPECT_EQ(feed.take("\x80z"), "\xF0\x9F\x98\x80z");
    EXPECT_EQ(feed.take("\xC3"), "");
    EXPECT_EQ(feed.take("\xA9"), "\xC3\xA9");
    EXPECT_EQ(feed.finish(), "");
}

TEST(TextAreaFeed, BytesThatAreNotUtf8PassThrough) {
    TextAreaFeed feed;
    EXPECT_EQ(feed.take("caf\xE9 "), "caf\xE9 ");  // a Windows-1252 e acute
    EXPECT_EQ(feed.take("\x80\x80\x80\x80"), "\x80\x80\x80\x80");
    EXPECT_EQ(feed.take("\xE9"), "");  // could start a three-byte character
    EXPECT_EQ(feed.finish(), "\xE9");  // given up as it stands at the end
    EXPECT_EQ(feed.finish(), "");
}

TEST(TextAreaFeed, LineFeedsBecomeCrLfOnceAcrossPieces) {
    TextAreaFeed feed;
    EXPECT_EQ(feed.take("one\ntwo\r\nthree\r"), "one\r\ntwo\r\nthree\r");
    EXPECT_EQ(feed.take("\nfour\n\n"), "\nfour\r\n\r\n");
}

}  // namespace
}  // namespace imm
