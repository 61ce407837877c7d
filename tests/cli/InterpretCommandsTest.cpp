// The interpretation commands: exit statuses, refused command lines and the fits of field soundings.
#include "cli/InterpretCommands.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "CliFiles.h"
#include "model/ForwardModel.h"
#include "model/LayerLimits.h"

namespace {

struct CommandRun {
    int status = -1;
    std::string out, err;
};

CommandRun forward(const std::vector<std::string>& words) {
    std::ostringstream out, err;
    CommandRun r;
    r.status = runForward(words, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

CommandRun invert(const std::vector<std::string>& words) {
    std::ostringstream out, err;
    CommandRun r;
    r.status = runInvert(words, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

const std::string realDir = VESPLOT_REAL_DATA_DIR "/";

} // namespace

TEST(ForwardCommand, HalfSpaceAndDefaultSpacings) {
    const CommandRun r = forward({"--rho", "250"});
    ASSERT_EQ(r.status, 0) << r.err;
    // the 19 default AB/2 values 10^(k/6) to four decimals, and a half-space returns its resistivity
    EXPECT_NE(r.out.find("\"ab2\":[1,1.4678,2.1544,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(",681.2921,1000]"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"rhoa\":[250,250,"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("\"ma\""), std::string::npos);
}

TEST(ForwardCommand, RefusesWhatCannotBeAnEarth) {
    const std::vector<std::vector<std::string>> refused{
        {},
        {"--rho", "0"},
        {"--rho", "10,-5", "--thk", "2"},
        {"--rho", "10,20"},
        {"--rho", "10,20", "--thk", "2,3"},
        {"--rho", "10,20", "--thk", "nan"},
        {"--rho", "10", "--m", "100"},
        {"--rho", "10,20", "--thk", "2", "--m", "5"},
        {"--rho", "10", "--ab2", "1,2", "--mn2", "0.5"},
        {"--rho", "10", "--ab2", "1,2", "--mn2", "0.5,2"},
        {"--rho", "10", "--ab2", "0"},
        {"--rho", "10", "--frobnicate"},
    };
    for (const auto& words : refused) {
        const CommandRun r = forward(words);
        EXPECT_EQ(r.status, 2) << (words.empty() ? "(none)" : words.back());
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
}

TEST(InvertCommand, FitsEveryFieldStationLikeTheBestThreeLayerFit) {
    // best 3-layer misfits (percent) found by a long multi-start search of the same residuals
    const CommandRun r = invert({realDir + "boundiali.dat", "--all"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<double> best{4.06, 5.33, 3.32, 2.50};
    std::size_t at = 0;
    for (double rms : best) {
        at = r.out.find("\"rmsPercent\":", at);
        ASSERT_NE(at, std::string::npos);
        at += 13;
        EXPECT_NEAR(std::stod(r.out.substr(at, 12)), rms, 0.5);
    }
    EXPECT_EQ(r.out.find("\"error\""), std::string::npos);
    EXPECT_EQ(r.out.rfind("{\"stations\":[", 0), 0u);
}

TEST(InvertCommand, StatusesForBadFilesAndCommandLines) {
    EXPECT_EQ(invert({realDir + "no-such-file.dat"}).status, 1);
    EXPECT_EQ(invert({realDir + "semien.dat", "--station", "99"}).status, 2);
    EXPECT_EQ(invert({realDir + "semien.dat", "--layers", "0"}).status, 2);
    EXPECT_EQ(invert({realDir + "semien.dat", "--fix", "thk1"}).status, 2);
    EXPECT_EQ(invert({realDir + "semien.dat", "--smooth", "--fix", "thk1=3"}).status, 2);
    // a depth known from a borehole stays where it was put
    const CommandRun fixedRun = invert({realDir + "semien.dat", "--fix", "thk1=3.5"});
    ASSERT_EQ(fixedRun.status, 0) << fixedRun.err;
    EXPECT_NE(fixedRun.out.find("\"thk\":3.5,\"depth\":3.5"), std::string::npos)
        << fixedRun.out.substr(0, 300);
    // more layers than the station has points (3 layers, 5 values, 3 points): an error for that station,
    // exit 1
    clitest::TempFolder folder;
    const std::string two = folder.write("two.dat", clitest::twoStationColumnFile);
    const CommandRun tooMany = invert({two, "--layers", "3"});
    EXPECT_EQ(tooMany.status, 1);
    EXPECT_NE(tooMany.out.find("\"error\""), std::string::npos);
}

namespace {

nlohmann::json jsonOf(const std::string& text) {
    nlohmann::json value = nlohmann::json::parse(text, nullptr, false);
    if (value.is_discarded())
        ADD_FAILURE() << "no JSON: " << text.substr(0, 200);
    return value;
}

const nlohmann::json& member(const nlohmann::json& object, const std::string& key) {
    static const nlohmann::json none;
    const auto found = object.is_object() ? object.find(key) : object.end();
    return found != object.end() ? *found : none;
}

bool has(const nlohmann::json& object, const std::string& key) {
    return object.is_object() && object.contains(key);
}

std::vector<double> numbers(const nlohmann::json& array) {
    std::vector<double> out;
    for (const nlohmann::json& v : array)
        out.push_back(v.get<double>());
    return out;
}

// Four stations of 32 points each, measured with MN/2 0.4 (4 points), 1 (12), 5 (10) and 10 m (6).
const std::string gbalo = realDir + "gbalo.dat";

} // namespace

TEST(InvertCommand, RefusesWhatTheContractRefuses) {
    struct Row {
        const char* fault;
        std::vector<std::string> words;
        std::string reason; // a part of the message on stderr
    };
    const std::vector<Row> rows{
        {"a layer count the fits do not take", {gbalo, "--layers", "15"}, "--layers"},
        {"one layer more than the largest count",
         {gbalo, "--layers", std::to_string(model::kMaxLayers + 1)},
         "--layers"},
        {"a negative layer count", {gbalo, "--layers", "-1"}, "--layers"},
        {"a layer count that is no number", {gbalo, "--layers", "three"}, "--layers"},
        {"a fixed name that is no parameter", {gbalo, "--fix", "foo=1"}, "foo"},
        {"a resistivity below the model's last layer", {gbalo, "--fix", "rho4=1"}, "rho4"},
        {"a thickness of the half-space", {gbalo, "--layers", "2", "--fix", "thk2=1"}, "thk2"},
        {"a name no count of the automatic choice has",
         {gbalo, "--layers", "auto", "--fix", "thk6=1"},
         "thk6"},
        {"a name twice in one list", {gbalo, "--fix", "rho1=5,rho1=6"}, "rho1"},
        {"a name twice in two lists", {gbalo, "--fix", "thk1=2", "--fix", "thk1=3"}, "thk1"},
        {"a masked point beyond the station's last", {gbalo, "--station", "1", "--mask", "0,32"}, "32"},
        {"a negative masked point", {gbalo, "--mask", "-1"}, "-1"},
        {"a mask that is no list of indices", {gbalo, "--mask", "1;2"}, "--mask"},
        {"a mask without indices", {gbalo, "--mask"}, "--mask"},
        {"a smooth model with a layer count", {gbalo, "--smooth", "--layers", "4"}, "--smooth"},
        {"a smooth model with the automatic count", {gbalo, "--layers", "auto", "--smooth"}, "--smooth"},
        {"a smooth model with segment factors", {gbalo, "--smooth", "--segments"}, "--smooth"},
        {"a smooth model with ranges", {gbalo, "--ranges", "--smooth"}, "--smooth"},
        {"a station with all stations", {gbalo, "--all", "--station", "1"}, "--station and --all"},
        {"a word after --segments that is no reference is no reference",
         {gbalo, "--segments", "middle"},
         "middle"},
    };
    for (const Row& row : rows) {
        const CommandRun r = invert(row.words);
        EXPECT_EQ(r.status, 2) << row.fault << "\n" << r.err;
        EXPECT_TRUE(r.out.empty()) << row.fault;
        EXPECT_NE(r.err.find(row.reason), std::string::npos) << row.fault << "\n" << r.err;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << row.fault;
    }
}

TEST(InvertCommand, WithAllFailsOnlyWhenNoStationIsFitted) {
    clitest::TempFolder folder;
    // two stations of 3 and 2 points
    const std::string two = folder.write("two.dat", clitest::twoStationColumnFile);
    struct Row {
        const char* what;
        std::vector<std::string> words;
        int status;
        int errors; // stations reported with "error"
    };
    const std::vector<Row> rows{
        {"a mask outside every station", {gbalo, "--all", "--mask", "40"}, 1, 4},
        {"more values than any station has points", {two, "--all", "--layers", "3"}, 1, 2},
        {"one station short of points", {two, "--all", "--layers", "2"}, 0, 1},
        {"a mask outside one station only", {two, "--all", "--layers", "1", "--mask", "2"}, 0, 1},
        {"every station fitted", {two, "--all", "--layers", "1"}, 0, 0},
    };
    for (const Row& row : rows) {
        const CommandRun r = invert(row.words);
        EXPECT_EQ(r.status, row.status) << row.what << "\n" << r.err;
        const nlohmann::json report = jsonOf(r.out);
        const nlohmann::json& stations = member(report, "stations");
        int errors = 0;
        for (const nlohmann::json& station : stations)
            errors += has(station, "error") ? 1 : 0;
        EXPECT_EQ(errors, row.errors) << row.what << "\n" << r.out.substr(0, 400);
    }
}

TEST(InvertCommand, LateralFitsTheStationsOfTheFileAsOneLine) {
    clitest::TempFolder folder;
    // Six three-layer stations whose interfaces deepen along the line, 16 readings each; the fourth keeps
    // two.
    std::string text = "测区\n电测深\n点号 AB/2 MN/2 rho M1 R TH TD ZP 标志 备用 备用\n";
    for (int s = 1; s <= 6; ++s) {
        model::LayeredModel earth;
        earth.layers = {{100.0, 3.0 + 0.2 * s}, {20.0, 10.0 + s}, {500.0, 0.0}};
        std::vector<double> ab2;
        for (int k = 0; k < (s == 4 ? 2 : 16); ++k)
            ab2.push_back(1.5 * std::pow(200.0, k / 15.0));
        const std::vector<double> rho = model::apparentResistivity(earth, ab2);
        for (std::size_t k = 0; k < ab2.size(); ++k)
            text += std::to_string(s) + " " + std::to_string(ab2[k]) + " 0 " + std::to_string(rho[k]) +
                    " 1 10 100 5 3 1 0 0\n";
    }
    const std::string file = folder.write("line.dat", text);
    for (const std::vector<std::string>& words : {std::vector<std::string>{file, "--all", "--lateral"},
                                                  {file, "--all", "--lateral", "2", "--layers", "3"}}) {
        const CommandRun r = invert(words);
        ASSERT_EQ(r.status, 0) << r.err;
        const nlohmann::json report = jsonOf(r.out);
        const nlohmann::json& stations = member(report, "stations");
        ASSERT_EQ(stations.size(), 6u);
        for (std::size_t s = 0; s < stations.size(); ++s) {
            EXPECT_EQ(has(stations[s], "error"), s == 3) << s;
            if (s != 3) {
                EXPECT_EQ(member(stations[s], "layers").size(), 3u);
                // Noise-free readings: the chosen weight keeps them fitted; W 2 ties the deepening interfaces
                // harder, at some misfit.
                EXPECT_LT(member(stations[s], "rmsPercent").get<double>(), words.size() > 3 ? 5.0 : 1.0) << s;
            }
        }
        const nlohmann::json& lateral = member(report, "lateral");
        ASSERT_TRUE(has(report, "lateral")) << r.out.substr(0, 400);
        EXPECT_GT(member(lateral, "weight").get<double>(), 0.0);
        if (words.size() > 3) {
            EXPECT_EQ(member(lateral, "weight").get<double>(), 2.0);
        }
        EXPECT_LT(member(lateral, "rmsPercent").get<double>(), words.size() > 3 ? 5.0 : 1.0);
    }
    // Refused: without --all, with --smooth, with --ranges, a weight that is not positive.
    for (const std::vector<std::string>& words : {std::vector<std::string>{file, "--lateral"},
                                                  {file, "--all", "--lateral", "--smooth"},
                                                  {file, "--all", "--lateral", "--ranges"},
                                                  {file, "--all", "--lateral", "-1"}}) {
        const CommandRun r = invert(words);
        EXPECT_EQ(r.status, 2) << words.back();
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
}

TEST(InvertCommand, SegmentFactorsJoinTheSegments) {
    struct Row {
        const char* what;
        std::vector<std::string> words;
        std::vector<double> mn2;    // of the segments, increasing
        std::vector<double> points; // per segment
        double reference;           // the MN/2 whose factor is 1
    };
    const std::vector<double> gbaloMn2{0.4, 1, 5, 10}, gbaloPoints{4, 12, 10, 6};
    const std::vector<Row> rows{
        {"the default reference", {gbalo, "--segments"}, gbaloMn2, gbaloPoints, 0.4},
        {"the smallest MN/2", {gbalo, "--segments", "first"}, gbaloMn2, gbaloPoints, 0.4},
        {"the largest MN/2", {gbalo, "--segments", "last"}, gbaloMn2, gbaloPoints, 10},
        {"the option before the file", {"--segments", gbalo}, gbaloMn2, gbaloPoints, 0.4},
        {"ideal arrays keep the measured segments",
         {gbalo, "--ideal", "--segments"},
         gbaloMn2,
         gbaloPoints,
         0.4},
        {"a masked segment leaves the reference to the next",
         {gbalo, "--segments", "--mask", "0,1,2,3"},
         {1, 5, 10},
         {12, 10, 6},
         1},
        {"a tagged file has one segment", {realDir + "gbalo.ves", "--segments"}, {0}, {32}, 0},
    };
    for (const Row& row : rows) {
        const CommandRun r = invert(row.words);
        ASSERT_EQ(r.status, 0) << row.what << "\n" << r.err;
        const nlohmann::json station = jsonOf(r.out);
        const nlohmann::json& segments = member(station, "segments");
        ASSERT_EQ(segments.size(), row.mn2.size()) << row.what << "\n" << r.out.substr(0, 400);
        for (std::size_t s = 0; s < row.mn2.size(); ++s) {
            const nlohmann::json& segment = segments[s];
            EXPECT_NEAR(member(segment, "mn2").get<double>(), row.mn2[s], 1e-6) << row.what;
            EXPECT_EQ(member(segment, "points").get<double>(), row.points[s]) << row.what;
            const double factor = member(segment, "factor").get<double>();
            if (row.mn2[s] == row.reference)
                EXPECT_EQ(factor, 1.0) << row.what;
            else
                EXPECT_TRUE(factor > 0 && std::isfinite(factor)) << row.what;
        }
        // the misfit reported is that of the corrected data
        const nlohmann::json& fit = member(station, "fit");
        const std::vector<double> corrected = numbers(member(fit, "rhoaCorrected"));
        const std::vector<double> response = numbers(member(fit, "rhoa"));
        ASSERT_EQ(corrected.size(), static_cast<std::size_t>(member(station, "pointsUsed").get<double>()))
            << row.what;
        ASSERT_EQ(corrected.size(), response.size()) << row.what;
        double sum = 0;
        for (std::size_t i = 0; i < corrected.size(); ++i)
            sum += std::pow(100.0 * std::log(corrected[i] / response[i]), 2);
        EXPECT_NEAR(std::sqrt(sum / static_cast<double>(corrected.size())),
                    member(station, "rmsPercent").get<double>(), 1e-3)
            << row.what;
    }
}

TEST(InvertCommand, MaskedPointsAreLeftOut) {
    const int allPoints = static_cast<int>(member(jsonOf(invert({gbalo}).out), "pointsUsed").get<double>());
    struct Row {
        const char* what;
        std::vector<std::string> words;
        std::vector<double> masked;
    };
    const std::vector<Row> rows{
        {"a block model", {gbalo, "--mask", "3,0"}, {0, 3}},
        {"a smooth model", {gbalo, "--smooth", "--mask", "0,3"}, {0, 3}},
        {"a point named twice", {gbalo, "--mask", "5,5"}, {5}},
        {"the last point", {gbalo, "--mask", "31"}, {31}},
        {"with the other options", {gbalo, "--layers", "auto", "--segments", "--ranges", "--mask", "7"}, {7}},
    };
    for (const Row& row : rows) {
        const CommandRun r = invert(row.words);
        ASSERT_EQ(r.status, 0) << row.what << "\n" << r.err;
        const nlohmann::json station = jsonOf(r.out);
        EXPECT_EQ(numbers(member(station, "masked")), row.masked) << row.what;
        EXPECT_EQ(member(station, "pointsUsed").get<double>(),
                  allPoints - static_cast<int>(row.masked.size()))
            << row.what;
        EXPECT_EQ(member(member(station, "fit"), "ab2").size(),
                  static_cast<std::size_t>(allPoints) - row.masked.size())
            << row.what;
    }
}

TEST(InvertCommand, AutomaticLayerCountReportsEveryCountTried) {
    const CommandRun r = invert({gbalo, "--station", "1", "--layers", "auto"});
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json station = jsonOf(r.out);
    const nlohmann::json& search = member(station, "layerSearch");
    // 32 points allow every count from 2 to 6
    ASSERT_EQ(search.size(), 5u) << r.out.substr(0, 400);
    const int chosen = static_cast<int>(member(station, "layersChosen").get<double>());
    bool tried = false;
    for (std::size_t k = 0; k < search.size(); ++k) {
        const nlohmann::json& trial = search[k];
        EXPECT_EQ(member(trial, "layers").get<double>(), 2.0 + static_cast<double>(k));
        if (member(trial, "layers").get<double>() == chosen) {
            tried = true;
            EXPECT_NEAR(member(trial, "rmsPercent").get<double>(),
                        member(station, "rmsPercent").get<double>(), 1e-6);
        }
    }
    EXPECT_TRUE(tried) << chosen;
    EXPECT_EQ(member(station, "layers").size(), static_cast<std::size_t>(chosen));
    // a name only the largest count has: that count alone is tried
    const CommandRun fixed = invert({gbalo, "--layers", "auto", "--fix", "thk5=1"});
    ASSERT_EQ(fixed.status, 0) << fixed.err;
    EXPECT_EQ(member(jsonOf(fixed.out), "layersChosen").get<double>(), 6.0);
}

TEST(InvertCommand, RangesEncloseTheValuesAndOpenSidesAreNull) {
    struct Row {
        const char* what;
        std::vector<std::string> words;
        std::vector<std::string> held; // "rho1", "thk2", ...: no range
    };
    const std::vector<Row> rows{
        {"three layers", {gbalo, "--station", "1", "--ranges"}, {}},
        {"a held thickness", {gbalo, "--station", "1", "--ranges", "--fix", "thk1=3"}, {"thk1"}},
        {"a held resistivity", {gbalo, "--station", "1", "--ranges", "--fix", "rho2=30"}, {"rho2"}},
        {"the chosen count with segments",
         {gbalo, "--station", "1", "--layers", "auto", "--segments", "--ranges"},
         {}},
    };
    for (const Row& row : rows) {
        const CommandRun r = invert(row.words);
        ASSERT_EQ(r.status, 0) << row.what << "\n" << r.err;
        const nlohmann::json station = jsonOf(r.out);
        const nlohmann::json& layers = member(station, "layers");
        ASSERT_FALSE(layers.empty()) << row.what;
        for (std::size_t k = 0; k < layers.size(); ++k) {
            for (const std::string name : {"rho", "thk"}) {
                const std::string parameter = name + std::to_string(k + 1);
                const bool halfSpace = name == "thk" && k + 1 == layers.size();
                const bool held = std::find(row.held.begin(), row.held.end(), parameter) != row.held.end();
                const nlohmann::json& layer = layers[k];
                if (halfSpace || held) {
                    EXPECT_FALSE(has(layer, name + "Range")) << row.what << " " << parameter;
                    continue;
                }
                ASSERT_TRUE(has(layer, name + "Range")) << row.what << " " << parameter;
                const nlohmann::json& range = member(layer, name + "Range");
                ASSERT_EQ(range.size(), 2u) << row.what << " " << parameter;
                const double value = member(layer, name).get<double>();
                const nlohmann::json& low = range[0];
                const nlohmann::json& high = range[1];
                EXPECT_TRUE(low.is_null() || (low.is_number() && low.get<double>() <= value))
                    << row.what << " " << parameter;
                EXPECT_TRUE(high.is_null() || (high.is_number() && high.get<double>() >= value))
                    << row.what << " " << parameter;
            }
        }
    }
}

TEST(ForwardCommand, RefusesModelsOutsideItsDomain) {
    struct Row {
        const char* fault;
        std::vector<std::string> words;
    };
    const std::vector<Row> rows{
        {"a contrast that gives negative values", {"--rho", "1,1e13", "--thk", "5"}},
        {"resistivities that overflow", {"--rho", "1e154,1e154", "--thk", "5"}},
        {"an AB/2 beyond the transform", {"--rho", "10", "--ab2", "1e9"}},
        {"a contrast that spoils the chargeability", {"--rho", "1e-6,1e9", "--thk", "1", "--m", "10,90"}},
        {"a thickness far below a millimetre", {"--rho", "10,100", "--thk", "1e-12"}},
        {"more layers than a model has",
         {"--rho", "1,2,3,4,5,6,7,8,9,10,11", "--thk", "1,1,1,1,1,1,1,1,1,1"}},
    };
    for (const Row& row : rows) {
        const CommandRun r = forward(row.words);
        EXPECT_EQ(r.status, 2) << row.fault << "\n" << r.out;
        EXPECT_TRUE(r.out.empty()) << row.fault;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << row.fault;
    }
}

TEST(ForwardCommand, InsideItsDomainEveryValueLiesBetweenTheLayers) {
    const std::vector<std::vector<std::string>> rows{
        {"--rho", "1,1e9", "--thk", "5"},
        {"--rho", "1e9,1", "--thk", "5"},
        {"--rho", "10,1000,1,500", "--thk", "1,3,30"},
        {"--rho", "1,2,3,4,5,6,7,8,9,10", "--thk", "1,1,1,1,1,1,1,1,1"},
    };
    for (const auto& words : rows) {
        const CommandRun r = forward(words);
        ASSERT_EQ(r.status, 0) << words[1] << "\n" << r.err;
        const std::vector<double> rho = [&] {
            std::vector<double> out;
            std::stringstream list(words[1]);
            for (std::string item; std::getline(list, item, ',');)
                out.push_back(std::stod(item));
            return out;
        }();
        const double lowest = *std::min_element(rho.begin(), rho.end());
        const double highest = *std::max_element(rho.begin(), rho.end());
        for (double value : numbers(member(jsonOf(r.out), "rhoa")))
            EXPECT_TRUE(value >= lowest * (1 - 1e-6) && value <= highest * (1 + 1e-6))
                << words[1] << ": " << value;
    }
}
