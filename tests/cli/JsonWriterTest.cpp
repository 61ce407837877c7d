#include "cli/JsonWriter.h"

#include <cmath>
#include <limits>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

TEST(JsonWriter, FloatsAreTheShortestTextThatReadsBackToTheSameFloat) {
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

TEST(JsonWriter, NestsContainersWithCommasAndEscapesText) {
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

// A report of many stations goes to its sink in pieces: the text that arrives is the text that would
// have been kept whole, and nothing is left behind after the last flush.
TEST(JsonWriter, TextSentToASinkInPiecesIsTheWholeText) {
    std::vector<float> numbers;
    for (int i = 0; i < 40000; ++i)
        numbers.push_back(static_cast<float>(i) * 0.37f);
    auto write = [&](JsonWriter& json) {
        json.beginObject();
        json.key("stations");
        json.beginArray();
        for (int station = 0; station < 5; ++station) {
            json.floatArray(numbers);
            json.floatArray({});
        }
        json.endArray();
        json.key("last");
        json.value(1.5f);
        json.endObject();
    };
    JsonWriter whole;
    write(whole);
    std::ostringstream sink;
    JsonWriter pieces(&sink);
    write(pieces);
    EXPECT_LT(pieces.text().size(), whole.text().size()); // most of it is already out
    pieces.flush();
    EXPECT_TRUE(pieces.text().empty());
    EXPECT_EQ(sink.str(), whole.text());
}
