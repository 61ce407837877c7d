#include "cli/JsonWriter.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

TEST(JsonWriter, FloatsAreTheShortestTextThatReadsBackToTheSameFloat)
{
    EXPECT_EQ(shortestFloat(1.5f), "1.5");
    EXPECT_EQ(shortestFloat(0.1f), "0.1");
    EXPECT_EQ(shortestFloat(18.75f), "18.75");
    EXPECT_EQ(shortestFloat(-9999.0f), "-9999");
    // 12.99 + 0.005 stored as a float is not 12.995 exactly; its shortest text still reads back.
    const float stored = static_cast<float>(12.99 + 0.005);
    EXPECT_EQ(std::stof(shortestFloat(stored)), stored);
    EXPECT_EQ(shortestFloat(std::numeric_limits<float>::quiet_NaN()), "null");
    EXPECT_EQ(shortestFloat(std::numeric_limits<float>::infinity()), "null");
}

TEST(JsonWriter, NestsContainersWithCommasAndEscapesText)
{
    JsonWriter json;
    json.beginObject();
    json.key("text");
    json.value("无法打开数据文件:\n\"a\\b\"");
    json.key("list");
    json.floatArray({1.0f, 2.5f});
    json.key("none");
    json.null();
    json.key("inner");
    json.beginObject();
    json.key("ok");
    json.value(true);
    json.endObject();
    json.endObject();
    EXPECT_EQ(json.text(), "{\"text\":\"无法打开数据文件:\\n\\\"a\\\\b\\\"\",\"list\":[1,2.5],\"none\":null,"
                           "\"inner\":{\"ok\":true}}");
}
