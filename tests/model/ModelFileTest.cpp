#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "model/ModelFile.h"

namespace {

model::LayeredModel sample() {
    model::LayeredModel m;
    m.layers = {{123.456789012345, 0.1 + 0.2, 2.5, false, true, false},
                {1e-3, 12345.678, 0.0, true, false, false},
                {3.0e5, 0.0, 99.5, false, false, true}};
    return m;
}

} // namespace

TEST(ModelFile, RoundTripsEveryValueExactly) {
    const model::LayeredModel m = sample();
    const std::string text = model::formatModelFile(7, m, 4.321);
    const model::ModelFileResult back = model::parseModelFile(text, 7);
    ASSERT_TRUE(back.ok()) << back.error;
    ASSERT_EQ(back.model.size(), m.size());
    for (std::size_t k = 0; k < m.size(); ++k) {
        EXPECT_EQ(back.model.layers[k].rho, m.layers[k].rho);
        EXPECT_EQ(back.model.layers[k].thk, m.layers[k].thk);
        EXPECT_EQ(back.model.layers[k].m, m.layers[k].m);
        EXPECT_EQ(back.model.layers[k].fixedRho, m.layers[k].fixedRho);
        EXPECT_EQ(back.model.layers[k].fixedThk, m.layers[k].fixedThk);
        EXPECT_EQ(back.model.layers[k].fixedM, m.layers[k].fixedM);
    }
    EXPECT_EQ(back.rmsPercent, 4.321);
    // No misfit to write: none read back.
    EXPECT_EQ(model::parseModelFile(model::formatModelFile(7, m, NAN), 7).rmsPercent, -1.0);
}

TEST(ModelFile, SavesAndLoadsThroughAFile) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "vesplot-model-test.json";
    ASSERT_EQ(model::saveModelFile(path, 3, sample(), 1.5), "");
    const model::ModelFileResult back = model::loadModelFile(path, 3);
    EXPECT_TRUE(back.ok()) << back.error;
    EXPECT_EQ(back.model.size(), 3u);
    const model::ModelFileResult other = model::loadModelFile(path, 4);
    EXPECT_FALSE(other.ok());
    EXPECT_NE(other.error.find("station 3"), std::string::npos) << other.error;
    std::filesystem::remove(path);
    EXPECT_FALSE(model::loadModelFile(path, 3).ok());
    EXPECT_FALSE(model::loadModelFile(std::filesystem::temp_directory_path(), 3).ok()); // a folder
    EXPECT_NE(model::saveModelFile(path, 3, model::LayeredModel{}, 1.0), "");
    EXPECT_NE(model::saveModelFile(path / "no" / "such" / "folder.json", 3, sample(), 1.0), "");
}

TEST(ModelFile, MalformedOrForeignTextsAreErrors) {
    const std::string layer = R"({"rho":10,"thk":2,"m":0})";
    const std::string last = R"({"rho":100,"thk":0,"m":0})";
    auto file = [&](const std::string& head, const std::string& layers) {
        return "{" + head + ",\"layers\":[" + layers + "]}";
    };
    const std::string head = R"("format":"vesplot-model","version":1,"station":1)";
    ASSERT_TRUE(model::parseModelFile(file(head, layer + "," + last), 1).ok());
    const std::string bad[] = {
        "",
        "   ",
        "null",
        "[]",
        "{}",
        "{\"format\":\"vesplot-model\"",
        file(R"("format":"other","version":1,"station":1)", last),
        file(R"("format":"vesplot-model","version":2,"station":1)", last),
        file(R"("format":"vesplot-model","version":"1","station":1)", last),
        file(R"("format":"vesplot-model","version":1,"station":2)", last),
        file(R"("format":"vesplot-model","version":1,"station":1.5)", last),
        file(R"("format":"vesplot-model","version":1,"station":1e300)", last),
        file(R"("format":"vesplot-model","version":1)", last),
        file(head, ""),
        file(head, "1"),
        file(head, R"({"rho":-5,"thk":0})"),
        file(head, R"({"rho":0,"thk":0})"),
        file(head, R"({"rho":"10","thk":0})"),
        file(head, R"({"thk":0})"),
        file(head, R"({"rho":1e999,"thk":0})"),
        file(head, R"({"rho":10,"thk":0,"m":100})"),
        file(head, R"({"rho":10,"thk":0,"m":-1})"),
        file(head, R"({"rho":10,"thk":0,"fixedRho":1})"),
        file(head, R"({"rho":10},)" + last),
        file(head, R"({"rho":10,"thk":0},)" + last),
        file(head, R"({"rho":10,"thk":-2},)" + last),
        file(head, R"({"rho":10,"rho":20,"thk":0})"),
        file(head, R"({"rho":NaN,"thk":0})"),
        file(head, R"({"rho":01,"thk":0})"),
        file(head, R"({"rho":1.,"thk":0})"),
        file(head, R"({"rho":.5,"thk":0})"),
        file(head, R"({"rho":+5,"thk":0})"),
        file(head, last) + "x",
        "{\"format\":\"vesplot-\\q\"}",
        "{\"format\":\"vesplot-model\u0001\"}",
        "{\"a\":\"\\u12\"}",
        std::string(100000, '[') + std::string(100000, ']'),
        "{\"rmsPercent\":-1," + file(head, last).substr(1),
        "{\"rmsPercent\":\"2\"," + file(head, last).substr(1),
    };
    for (const std::string& text : bad) {
        const model::ModelFileResult r = model::parseModelFile(text, 1);
        EXPECT_FALSE(r.ok()) << text.substr(0, 200);
        EXPECT_TRUE(r.model.layers.empty());
    }
}

TEST(ModelFile, NoInputBytesCrashIt) {
    // Every prefix of a valid file, and the file with each byte replaced by a few troublesome ones, must
    // give a result (an error for all the prefixes) without crashing.
    const std::string text = model::formatModelFile(12, sample(), 2.0);
    ASSERT_EQ(text.substr(text.size() - 2), "}\n");
    for (std::size_t n = 0; n + 1 < text.size(); ++n)
        EXPECT_FALSE(model::parseModelFile(text.substr(0, n), 12).ok()) << n;
    for (std::size_t i = 0; i < text.size(); ++i)
        for (char c : {'\0', '"', '{', ']', '\\', '9', '-', 'e', '\xff'}) {
            std::string mutated = text;
            mutated[i] = c;
            const model::ModelFileResult r = model::parseModelFile(mutated, 12);
            if (r.ok()) {
                EXPECT_TRUE(r.model.isValid());
            }
        }
}
