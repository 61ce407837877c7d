#include "data/ValueColumn.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace {

// Bit patterns, so that a -0.0 read back as 0.0 counts as a changed value.
std::vector<std::uint32_t> bitsOf(const std::vector<float>& values) {
    std::vector<std::uint32_t> bits;
    for (float v : values)
        bits.push_back(std::bit_cast<std::uint32_t>(v));
    return bits;
}

struct AppendCase {
    const char* what;
    std::vector<float> appended;
    bool uniform; // still one value and a count afterwards
};

const AppendCase appendCases[] = {
    {"nothing appended", {}, true},
    {"one value", {2.5f}, true},
    {"the same value throughout", {2.5f, 2.5f, 2.5f, 2.5f, 2.5f}, true},
    {"missing markers throughout", {-9999.f, -9999.f, -9999.f}, true},
    {"the last value differs", {1.f, 1.f, 1.f, 3.f}, false},
    {"the second value differs", {1.f, 3.f, 3.f, 3.f}, false},
    {"zero, then negative zero", {0.f, -0.f, 0.f}, false},
};

} // namespace

// Appended values read back unchanged, by index, by iterator and as a vector, however the column holds
// them; a column of equal values holds no memory of its own, even with room asked for.
TEST(ValueColumn, AppendedValuesReadBackAndEqualValuesCostNoMemory) {
    for (const AppendCase& c : appendCases) {
        SCOPED_TRACE(c.what);
        ValueColumn<float> column;
        column.reserve(64);
        for (float v : c.appended)
            column.push_back(v);

        EXPECT_EQ(column.isUniform(), c.uniform);
        if (c.uniform)
            EXPECT_EQ(column.heapBytes(), 0u);
        else
            EXPECT_GE(column.heapBytes(), 64 * sizeof(float)); // the room asked for while uniform
        ASSERT_EQ(column.size(), c.appended.size());
        EXPECT_EQ(bitsOf(column.toVector()), bitsOf(c.appended));
        std::vector<float> byIndex, byIterator(column.begin(), column.end());
        for (std::size_t i = 0; i < column.size(); ++i)
            byIndex.push_back(column[i]);
        EXPECT_EQ(bitsOf(byIndex), bitsOf(c.appended));
        EXPECT_EQ(bitsOf(byIterator), bitsOf(c.appended));
        EXPECT_EQ(column, c.appended);
        if (!c.appended.empty()) {
            EXPECT_EQ(*std::max_element(column.begin(), column.end()),
                      *std::max_element(c.appended.begin(), c.appended.end()));
            EXPECT_EQ(column.end() - column.begin(), static_cast<std::ptrdiff_t>(c.appended.size()));
        }
        EXPECT_THROW(column.at(c.appended.size()), std::out_of_range);
    }
}

// Columns compare by their values, not by how they hold them; assign makes a column uniform again.
TEST(ValueColumn, EqualityIsByValues) {
    ValueColumn<float> zeros{0.f, -0.f, 0.f}; // held as a vector: -0.0 is a value of its own
    ASSERT_FALSE(zeros.isUniform());
    EXPECT_EQ(zeros, ValueColumn<float>(3, 0.f));
    EXPECT_EQ(ValueColumn<float>(3, 0.f), zeros);
    EXPECT_FALSE(zeros == ValueColumn<float>(2, 0.f));
    EXPECT_FALSE(zeros == ValueColumn<float>(3, 1.f));
    EXPECT_EQ(ValueColumn<float>(0, 5.f),
              ValueColumn<float>()); // empty columns are equal whatever their value
    EXPECT_FALSE(ValueColumn<float>(1, std::nanf("")) == ValueColumn<float>(1, std::nanf(""))); // as vectors

    zeros.assign(4, 7.f);
    EXPECT_TRUE(zeros.isUniform());
    EXPECT_EQ(zeros.heapBytes(), 0u);
    EXPECT_EQ(zeros, std::vector<float>(4, 7.f));
}
