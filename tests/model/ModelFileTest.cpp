#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "Synthetic.h"
#include "model/BlockInversion.h"
#include "model/LineModelFile.h"
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
        file(R"("format":"vesplot-model","version":3,"station":1)", last),
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

namespace {

using model::SegmentReference;

model::ValueRange range(std::optional<double> low, std::optional<double> high) {
    return {low, high};
}

bool sameRange(const std::optional<model::ValueRange>& a, const std::optional<model::ValueRange>& b) {
    return a.has_value() == b.has_value() && (!a || (a->low == b->low && a->high == b->high));
}

} // namespace

TEST(ModelFile, KeepsEverythingOfAFit) {
    struct Row {
        const char* what;
        model::LayeredModel earth;
        model::ModelFileContent content;
    };
    auto withRanges = [](model::LayeredModel m) {
        m.layers[0].rhoRange = range(100.0, 150.0);
        m.layers[0].thkRange = range(std::nullopt, 0.5); // the data do not bound it from below
        m.layers[1].thkRange = range(10000.0, 15000.0);  // rho2 held: no range
        m.layers[2].rhoRange = range(1e5, std::nullopt); // a basement open upwards
        return m;
    };
    const std::vector<model::SegmentFactor> first{
        {0.4, 4, 1.0, true}, {1.0, 12, 1.25, false}, {5.0, 10, 0.7, false}};
    const std::vector<model::SegmentFactor> last{
        {0.4, 4, 0.8, false}, {1.0, 12, 0.9, false}, {5.0, 10, 1.0, true}};
    const std::vector<Row> rows{
        {"a count given", sample(), {}},
        {"the count chosen", sample(), {true, SegmentReference::None, {}, {}}},
        {"factors to the smallest MN/2", sample(), {false, SegmentReference::SmallestMn2, first, {}}},
        {"factors to the largest MN/2", sample(), {false, SegmentReference::LargestMn2, last, {}}},
        {"a station of one MN/2",
         sample(),
         {false, SegmentReference::SmallestMn2, {{0.0, 32, 1.0, true}}, {}}},
        {"masked points", sample(), {false, SegmentReference::None, {}, {0, 3, 31}}},
        {"ranges with open sides", withRanges(sample()), {}},
        {"all at once", withRanges(sample()), {true, SegmentReference::LargestMn2, last, {2, 7}}},
    };
    for (const Row& row : rows) {
        const model::ModelFileResult back =
            model::parseModelFile(model::formatModelFile(5, row.earth, 3.5, row.content), 5);
        ASSERT_TRUE(back.ok()) << row.what << ": " << back.error;
        EXPECT_TRUE(back.content == row.content) << row.what;
        ASSERT_EQ(back.model.size(), row.earth.size()) << row.what;
        for (std::size_t k = 0; k < row.earth.size(); ++k) {
            EXPECT_EQ(back.model.layers[k].rho, row.earth.layers[k].rho) << row.what;
            EXPECT_TRUE(sameRange(back.model.layers[k].rhoRange, row.earth.layers[k].rhoRange))
                << row.what << k;
            // the half-space has no thickness, so no range of it
            EXPECT_TRUE(sameRange(back.model.layers[k].thkRange,
                                  k + 1 < row.earth.size() ? row.earth.layers[k].thkRange : std::nullopt))
                << row.what << k;
        }
    }
}

TEST(ModelFile, AFitComesBackWhole) {
    // a segmented sounding (MN/2 0.4, 2 and 10 m) with the middle segment raised by 30 %
    model::SoundingData data =
        synthetic::sounding(synthetic::earth({100.0, 10.0, 500.0}, {3.0, 20.0}), 0.02, 11).data;
    for (std::size_t i = 0; i < data.rhoa.size(); ++i)
        data.rhoa[i] *= data.mn2[i] == 2.0 ? 1.3 : 1.0;
    model::BlockFitOptions options;
    options.autoLayers = true;
    options.segments = SegmentReference::LargestMn2;
    options.mask = {4, 1};
    options.ranges = true;
    const model::FitResult fit = model::fitBlockModel(data, options);
    ASSERT_TRUE(fit.report.ok()) << fit.report.error;
    const model::ModelFileContent content = model::modelFileContentOf(options, fit.report);
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "vesplot-model-fit-test.json";
    ASSERT_EQ(model::saveModelFile(path, 9, fit.model, fit.report.rmsPercent, content), "");
    const model::ModelFileResult back = model::loadModelFile(path, 9);
    std::filesystem::remove(path);
    ASSERT_TRUE(back.ok()) << back.error;
    EXPECT_TRUE(back.content.autoLayers);
    EXPECT_EQ(back.model.size(), static_cast<std::size_t>(fit.report.layersChosen));
    EXPECT_EQ(back.content.segmentReference, SegmentReference::LargestMn2);
    ASSERT_EQ(back.content.segments.size(), 3u);
    EXPECT_EQ(back.content.segments[1].factor, fit.report.segments[1].factor);
    EXPECT_EQ(back.content.masked, (std::vector<std::size_t>{1, 4}));
    EXPECT_EQ(back.rmsPercent, fit.report.rmsPercent);
    for (std::size_t k = 0; k < fit.model.size(); ++k)
        EXPECT_TRUE(sameRange(back.model.layers[k].rhoRange, fit.model.layers[k].rhoRange)) << k;
}

TEST(ModelFile, AVersionOneFileStillOpens) {
    // as the first release wrote it
    const std::string text =
        "{\"format\":\"vesplot-model\",\"version\":1,\"station\":4,\"layers\":[\n"
        "  {\"rho\":80.5,\"thk\":3.25,\"m\":1.5,\"fixedRho\":false,\"fixedThk\":true,\"fixedM\":false},\n"
        "  {\"rho\":310,\"thk\":0,\"m\":2,\"fixedRho\":false,\"fixedThk\":false,\"fixedM\":false}],"
        "\"rmsPercent\":2.5}\n";
    const model::ModelFileResult back = model::parseModelFile(text, 4);
    ASSERT_TRUE(back.ok()) << back.error;
    ASSERT_EQ(back.model.size(), 2u);
    EXPECT_EQ(back.model.layers[0].thk, 3.25);
    EXPECT_TRUE(back.model.layers[0].fixedThk);
    EXPECT_EQ(back.model.layers[1].rho, 310.0);
    EXPECT_EQ(back.rmsPercent, 2.5);
    EXPECT_TRUE(back.content == model::ModelFileContent{});
    EXPECT_FALSE(back.model.layers[0].rhoRange.has_value());
    // Saved again by an editor that starts UTF-8 files with a byte-order mark.
    const model::ModelFileResult marked = model::parseModelFile("\xEF\xBB\xBF" + text, 4);
    ASSERT_TRUE(marked.ok()) << marked.error;
    EXPECT_EQ(marked.model.layers[1].rho, 310.0);
}

TEST(ModelFile, ModelsOutsideTheModellingDomainAreRefused) {
    struct Row {
        const char* fault;
        model::LayeredModel earth;
    };
    const std::vector<Row> rows{
        {"a resistivity of 1e160 ohm-m", synthetic::earth({10.0, 1e160}, {5.0})},
        {"a resistivity far below any rock", synthetic::earth({1e-9, 10.0}, {5.0})},
        {"a contrast the transform does not resolve", synthetic::earth({1e-3, 1e8}, {5.0})},
        {"a layer thinner than a hair", synthetic::earth({10.0, 100.0}, {1e-9})},
        {"a layer deeper than the earth", synthetic::earth({10.0, 100.0}, {1e12})},
    };
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "vesplot-model-domain-test.json";
    for (const Row& row : rows) {
        for (int version : {1, 2}) {
            std::string text = model::formatModelFile(1, row.earth, 1.0);
            if (version == 1)
                text.replace(text.find("\"version\":2"), 11, "\"version\":1");
            const model::ModelFileResult read = model::parseModelFile(text, 1);
            EXPECT_FALSE(read.ok()) << row.fault << " v" << version;
            EXPECT_NE(read.error.find("outside"), std::string::npos) << row.fault << ": " << read.error;
            EXPECT_TRUE(read.model.layers.empty()) << row.fault;
        }
        // nor is it written, to be refused when opened
        EXPECT_NE(model::saveModelFile(path, 1, row.earth, 1.0), "") << row.fault;
        EXPECT_FALSE(std::filesystem::exists(path)) << row.fault;
    }
}

TEST(ModelFile, AFitRecordThatDisagreesWithItselfIsAnError) {
    const std::string layers = R"("layers":[{"rho":10,"thk":2,"m":0},{"rho":100,"thk":0,"m":0}])";
    auto file = [&](const std::string& extra) {
        return R"({"format":"vesplot-model","version":2,"station":1,)" + layers + extra + "}";
    };
    const std::string segments = R"("segments":[{"mn2":1,"points":5,"factor":1,"reference":true},)"
                                 R"({"mn2":5,"points":6,"factor":0.9,"reference":false}])";
    ASSERT_TRUE(model::parseModelFile(file(R"(,"layerCount":2)"), 1).ok());
    ASSERT_TRUE(model::parseModelFile(file(R"(,"layerCount":"auto","layersChosen":2)"), 1).ok());
    ASSERT_TRUE(model::parseModelFile(file(R"(,"segmentReference":"first",)" + segments), 1).ok());
    const std::vector<std::pair<const char*, std::string>> rows{
        {"a count that is not the layers'", R"(,"layerCount":3)"},
        {"a count that is no count", R"(,"layerCount":"three")"},
        {"auto without the count chosen", R"(,"layerCount":"auto")"},
        {"auto with another count chosen", R"(,"layerCount":"auto","layersChosen":4)"},
        {"a reference that is neither end", R"(,"segmentReference":"middle",)" + segments},
        {"segments without a reference", "," + segments},
        {"a reference without segments", R"(,"segmentReference":"first")"},
        {"the reference flag at the other end", R"(,"segmentReference":"last",)" + segments},
        {"segments out of order",
         R"(,"segmentReference":"first","segments":[{"mn2":5,"points":5,"factor":1,"reference":true},)"
         R"({"mn2":1,"points":6,"factor":0.9,"reference":false}])"},
        {"a factor of zero",
         R"(,"segmentReference":"first","segments":[{"mn2":1,"points":5,"factor":1,"reference":true},)"
         R"({"mn2":5,"points":6,"factor":0,"reference":false}])"},
        {"a reference factor other than 1",
         R"(,"segmentReference":"first","segments":[{"mn2":1,"points":5,"factor":2,"reference":true}])"},
        {"a segment without points",
         R"(,"segmentReference":"first","segments":[{"mn2":1,"points":0,"factor":1,"reference":true}])"},
        {"a negative masked point", R"(,"masked":[-1])"},
        {"a masked point between points", R"(,"masked":[1.5])"},
        {"a masked point as text", R"(,"masked":["3"])"},
    };
    for (const auto& [fault, extra] : rows) {
        const model::ModelFileResult r = model::parseModelFile(file(extra), 1);
        EXPECT_FALSE(r.ok()) << fault;
        EXPECT_TRUE(r.model.layers.empty()) << fault;
    }
    // the ranges of a layer
    auto withRange = [](const std::string& layer) {
        return R"({"format":"vesplot-model","version":2,"station":1,"layers":[)" + layer +
               R"(,{"rho":100,"thk":0,"m":0}]})";
    };
    ASSERT_TRUE(
        model::parseModelFile(withRange(R"({"rho":10,"thk":2,"rhoRange":[8,null],"thkRange":[null,3]})"), 1)
            .ok());
    const std::vector<std::pair<const char*, std::string>> ranges{
        {"one side only", R"({"rho":10,"thk":2,"rhoRange":[8]})"},
        {"low above high", R"({"rho":10,"thk":2,"rhoRange":[12,8]})"},
        {"a side that is text", R"({"rho":10,"thk":2,"rhoRange":["8",null]})"},
        {"a side of zero", R"({"rho":10,"thk":2,"thkRange":[0,3]})"},
        {"no list", R"({"rho":10,"thk":2,"thkRange":3})"},
    };
    for (const auto& [fault, layer] : ranges)
        EXPECT_FALSE(model::parseModelFile(withRange(layer), 1).ok()) << fault;
    // and the half-space has no thickness to range
    EXPECT_FALSE(model::parseModelFile(R"({"format":"vesplot-model","version":2,"station":1,"layers":[)"
                                       R"({"rho":100,"thk":0,"m":0,"thkRange":[1,2]}]})",
                                       1)
                     .ok());
}

// The window words its message by the kind of refusal: each refusal must name its own.
TEST(ModelFile, EachRefusalSaysWhyByItsKind) {
    using Kind = model::ModelFileError;
    const std::string good = model::formatModelFile(1, sample(), 2.0);
    auto replaced = [&](const std::string& what, const std::string& with) {
        std::string text = good;
        return text.replace(text.find(what), what.size(), with);
    };
    const struct {
        std::string text;
        Kind kind;
    } rows[] = {
        {"{\"format\":", Kind::NotAModelFile},
        {replaced("\"version\":2", "\"version\":3"), Kind::UnsupportedVersion},
        {model::formatModelFile(3, sample(), 2.0), Kind::OtherStation},
        {replaced("\"rho\":123.456789012345", "\"rho\":-1"), Kind::InvalidValue},
        {replaced("\"layerCount\":3", "\"layerCount\":4"), Kind::InconsistentFit},
        {model::formatModelFile(1, synthetic::earth({10.0, 1e160}, {5.0}), 2.0), Kind::OutsideDomain},
    };
    for (const auto& row : rows)
        EXPECT_EQ(model::parseModelFile(row.text, 1).kind, row.kind) << row.text.substr(0, 80);
    EXPECT_EQ(model::parseModelFile(good, 1).kind, Kind::None);
    EXPECT_EQ(model::loadModelFile(std::filesystem::temp_directory_path() / "no-such-model.json", 1).kind,
              Kind::Unreadable);
    // The window names the station of a sound file of another station, and of nothing else.
    EXPECT_EQ(model::modelFileStation(rows[2].text), 3);
    EXPECT_EQ(model::modelFileStation(rows[3].text), std::nullopt);
    // A line's file names the entry refused and why.
    const model::LineModelFileResult line = model::parseLineModelFile(model::formatLineModelFile(
        {{4, sample(), 1.0, {}}, {5, synthetic::earth({10.0, 1e160}, {5.0}), 1.0, {}}}));
    EXPECT_EQ(line.kind, Kind::OutsideDomain);
    EXPECT_EQ(line.entry, 2u);
    EXPECT_EQ(line.station, 5);
    EXPECT_TRUE(line.outside.has_value());
}

TEST(ModelFile, ALineFileNestedDeeperThanAnyModelIsRefused) {
    const std::string nested = std::string(100000, '[') + std::string(100000, ']');
    const model::LineModelFileResult read = model::parseLineModelFile(
        R"({"format":"vesplot-line-models","version":1,"stations":[)" + nested + "]}");
    EXPECT_FALSE(read.ok());
    EXPECT_TRUE(read.stations.empty());
}
