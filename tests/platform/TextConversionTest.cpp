#include <gtest/gtest.h>

#include <string>

#include "platform/Allocation.h"
#include "platform/TextConversion.h"

namespace tamrovi {
namespace {

TEST(TextConversionTest, EveryPathSurvivesTheRoundTrip) {
  const std::u16string paths[] = {
      u"", u"plain.bmp", u"/tmp/caf\u00e9/\u00fcber.bmp", u"\u65e5\u672c\u8a9e.bmp",
      u"emoji-\U0001F600.bmp",  // a surrogate pair
      u"\u00ff\u0100\u07ff\u0800\uffff",
  };
  for (const std::u16string& path : paths) {
    const CNarrowPath narrow(path.c_str());
    ASSERT_NE(narrow.Get(), nullptr);
    const CWidePath wide(narrow.Get());
    ASSERT_NE(wide.Get(), nullptr);
    EXPECT_EQ(std::u16string(wide.Get()), path);
  }
}

TEST(TextConversionTest, NarrowIsUtf8) {
  const CNarrowPath narrow(u"\u00e9\U0001F600");
  ASSERT_NE(narrow.Get(), nullptr);
  EXPECT_EQ(std::string(narrow.Get()), "\xC3\xA9\xF0\x9F\x98\x80");
}

TEST(TextConversionTest, NamesThatAreNotUtf8SurviveAsLoneSurrogates) {
  for (const char* text : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF", "caf\xE9.bmp"}) {
    EXPECT_EQ(std::string(CNarrowPath(CWidePath(text).Get()).Get()), text);
  }
  EXPECT_EQ(std::u16string(CWidePath("caf\xE9").Get()), u"caf\xDCE9");
}

TEST(TextConversionTest, MalformedTextDoesNotConvert) {
  const char16_t loneHigh[] = {u'a', 0xD800, u'b', 0};
  const char16_t loneLow[] = {0xDC00, 0};  // below the escapes of bytes
  const char16_t highAtEnd[] = {u'a', 0xDBFF, 0};
  const char16_t escapesOfACharacter[] = {0xDCC3, 0xDCA9, 0};  // the bytes of U+00E9: a second name for it
  for (const char16_t* text : {loneHigh, loneLow, highAtEnd, escapesOfACharacter}) {
    EXPECT_EQ(CNarrowPath(text).Get(), nullptr);
  }
  EXPECT_EQ(CNarrowPath(nullptr).Get(), nullptr);
  EXPECT_EQ(CWidePath(nullptr).Get(), nullptr);
}

TEST(TextConversionTest, APathConvertsWithoutAllocating) {
  const std::u16string path = u"/tmp/caf\u00e9/\U0001F600.bmp";
  FailNthAllocation(1);
  const CNarrowPath narrow(path.c_str());
  FailNthAllocation(0);
  ASSERT_NE(narrow.Get(), nullptr);
  EXPECT_EQ(std::string(narrow.Get()), "/tmp/caf\xC3\xA9/\xF0\x9F\x98\x80.bmp");

  const char16_t unpaired[] = {u'/', 0xD800, 0};
  EXPECT_EQ(CNarrowPath(unpaired).Get(), nullptr);
  EXPECT_EQ(CNarrowPath(nullptr).Get(), nullptr);
  // The longest path the system opens, in bytes with the terminator, and one
  // more, which no file can have.
  const std::u16string longest(CNarrowPath::kCapacity - 1, u'a');
  EXPECT_NE(CNarrowPath(longest.c_str()).Get(), nullptr);
  const std::u16string tooLong = longest.substr(1) + u"\u00e9";
  EXPECT_EQ(CNarrowPath(tooLong.c_str()).Get(), nullptr);
}

TEST(TextConversionTest, WideLengthCountsCodeUnits) {
  EXPECT_EQ(WideLength(nullptr), 0u);
  EXPECT_EQ(WideLength(u""), 0u);
  EXPECT_EQ(WideLength(u"a\U0001F600"), 3u);
}

}  // namespace
}  // namespace tamrovi
