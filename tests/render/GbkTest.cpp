#include "core/Gbk.h"
#include "render/GbkCodec.h"

#include <gtest/gtest.h>

TEST(Gbk, ByteLengthCountsTwoPerChineseCharacter) {
    EXPECT_EQ(gbkByteLength("电测深观测数据"), 14);
    EXPECT_EQ(gbkByteLength("Res"), 3);
    EXPECT_EQ(gbkByteLength(""), 0);
    EXPECT_EQ(gbkByteLength("AB/2（m）"), 9);
}

TEST(Gbk, RoundTripsChineseText) {
    const std::string text = "测点，视电阻率";
    const std::string gbk = utf8ToGbk(text);
    EXPECT_EQ(static_cast<int>(gbk.size()), gbkByteLength(text));
    EXPECT_EQ(std::string("\xA3\xAC"), utf8ToGbk("，"));
    EXPECT_EQ(gbkToUtf8(gbk), text);
}
