#include "SurveyGenerator.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <vector>

#include "model/ForwardModel.h"
#include "render/GbkCodec.h"

namespace {

// AB/2 series of a Schlumberger sounding, about ten spacings per decade.
const std::vector<double> spacings = {
    1.5,  2,    2.5,  3,    4,    5,    6,     8,     10,    12,    15,    20,    25,    30,   40,   50,
    65,   80,   100,  120,  150,  200,  250,   300,   400,   500,   650,   800,   1000,  1200, 1500, 2000,
    2500, 3000, 4000, 5000, 6500, 8000, 10000, 12000, 15000, 20000, 25000, 30000, 40000, 50000};

// A smooth three-layer curve in log space.
struct Model {
    double r1, r2, r3, d1, d2;
    double at(double ab) const {
        double x = std::log10(ab);
        double t1 = 0.5 * (1 + std::tanh((x - d1) / 0.35));
        double t2 = 0.5 * (1 + std::tanh((x - d2) / 0.4));
        double lr = std::log10(r1) * (1 - t1) + std::log10(r2) * t1 * (1 - t2) + std::log10(r3) * t2;
        return std::pow(10.0, lr);
    }
};

Model randomModel(std::mt19937& rng) {
    std::uniform_real_distribution<double> rho(5, 2000), depth(0.5, 1.5);
    double d1 = depth(rng);
    return {rho(rng), rho(rng), rho(rng), d1, d1 + 0.8 + depth(rng) * 0.5};
}

void append(std::string& out, const char* format, double value) {
    char text[48];
    int n = std::snprintf(text, sizeof text, format, value);
    out.append(text, static_cast<std::size_t>(n));
}

} // namespace

std::string generateColumnFile(std::size_t rows, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> pointsPerStation(20, 45), percent(0, 99);
    std::normal_distribution<double> noise(0, 0.01);
    std::string out = utf8ToGbk("生成测区 激电测深数据\n电测深 对称四极 激电测深\n"
                                "点号 AB/2 MN/2 视电阻率 M1 R TH TD ZP 标志 备用 备用\n");
    out.reserve(rows * 64);
    std::size_t written = 0;
    for (int station = 1; written < rows; ++station) {
        const int number = 1 + (station - 1) % 20000;
        const Model model = randomModel(rng);
        const int points = pointsPerStation(rng);
        for (int k = 0; k < points && written < rows; ++k, ++written) {
            double ab = spacings[static_cast<std::size_t>(k) % spacings.size()];
            double mn = ab < 15 ? 0.5 : ab < 150 ? 5 : 25;
            double rho = model.at(ab) * (1 + noise(rng));
            double x = std::log10(ab);
            double m1 = 1.5 + 3 * std::exp(-(x - 1.4) * (x - 1.4) / 0.5) + noise(rng);
            double r = 15 + 25 * std::exp(-(x - 1.5) * (x - 1.5) / 0.6);
            double th = 500 + 900 * std::exp(-(x - 1.3) * (x - 1.3) / 0.6);
            double td = 35 + 20 * std::exp(-(x - 1.6) * (x - 1.6) / 0.5);
            int flag = 1;
            int roll = percent(rng);
            if (roll == 0) {
                switch (rng() % 4) {
                case 0:
                    flag = 0;
                    break;
                case 1:
                    flag = -1;
                    break;
                case 2:
                    ab = 0.05;
                    break;
                default:
                    rho = -rho;
                    break;
                }
            }
            out += std::to_string(number);
            append(out, " %g", ab);
            append(out, " %g", mn);
            append(out, " %.2f", rho);
            if (roll == 1 || roll == 2) {
                out += " -9999 -9999 -9999 -9999 -9999";
            } else {
                append(out, " %.2f", m1);
                append(out, " %.1f", r);
                append(out, " %.0f", th);
                append(out, " %.1f", td);
                append(out, " %.2f", m1 * td / 10);
            }
            out += ' ';
            out += std::to_string(flag);
            out += " 0 0\r\n";
        }
    }
    return out;
}

std::string generateTaggedFile(std::size_t rows, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> pointsPerBlock(20, 60), auxPairs(0, 3);
    std::normal_distribution<double> noise(0, 0.01);
    std::string blocks;
    blocks.reserve(rows * 16);
    std::size_t written = 0;
    int count = 0;
    for (int station = 1; written < rows; ++station, ++count) {
        const Model model = randomModel(rng);
        const auto points = static_cast<std::size_t>(pointsPerBlock(rng));
        const std::size_t n = std::min(points, rows - written);
        blocks += std::to_string(station);
        blocks += utf8ToGbk("\r\n0 0\r\n生成测区 测线\r\n2023\r\n野外\r\n对称四极测深\r\n");
        blocks += std::to_string(n) + "\r\n";
        for (std::size_t k = 0; k < n; ++k) {
            double ab = spacings[k % spacings.size()];
            append(blocks, "%g", ab);
            append(blocks, " %.1f\r\n", model.at(ab) * (1 + noise(rng)));
        }
        int aux = auxPairs(rng);
        blocks += std::to_string(aux) + "\r\n";
        for (int k = 0; k < aux; ++k)
            blocks += "0.5 1\r\n";
        written += n;
    }
    return utf8ToGbk("Zu电法数据 生成测区\r\n电测深 VES 对称四极\r\n") + std::to_string(count) + "\r\n" +
           blocks;
}

StationList generateSurveyLine(int stations, std::uint32_t seed, double noiseLevel) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0, 0.01), jitter(0, 0.03);
    // 30 AB/2 in equal steps of log AB/2 from 1.5 m to 1000 m, to three figures.
    std::vector<double> ab, mn;
    for (int k = 0; k < 30; ++k) {
        const double a = 1.5 * std::pow(1000.0 / 1.5, k / 29.0);
        const double unit = std::pow(10.0, std::floor(std::log10(a)) - 2);
        ab.push_back(std::round(a / unit) * unit);
        mn.push_back(ab.back() < 15 ? 0.5 : ab.back() < 150 ? 5 : 25);
    }
    constexpr double pi = std::numbers::pi;
    StationList line;
    for (int i = 0; i < stations; ++i) {
        const double f = stations > 1 ? static_cast<double>(i) / (stations - 1) : 0.0;
        const auto wobble = [&] { return 1.0 + jitter(rng); };
        const double basin = std::exp(-std::pow((f - 0.4) / 0.15, 2));
        const double fault = std::exp(-std::pow((f - 0.75) / 0.04, 2));
        model::LayeredModel earth;
        earth.layers = {{(120 + 60 * std::sin(3 * pi * f + 0.3)) * wobble(),
                         (4 + 2 * std::sin(4.6 * pi * f + 1)) * wobble(), 2.0},
                        {(25 + 10 * std::sin(2 * pi * f + 2)) * wobble(), (15 + 25 * basin) * wobble(), 8.0},
                        {(1500 - 1350 * fault) * wobble(), 0.0, 1.0}};
        const std::vector<double> rho = model::apparentResistivity(earth, ab, mn);
        const std::vector<double> m1 = model::apparentChargeability(earth, ab, mn);
        Station station;
        for (std::size_t k = 0; k < ab.size(); ++k) {
            const double x = std::log10(ab[k]);
            const double m = m1[k] + 10 * noise(rng);
            const double td = 35 + 20 * std::exp(-(x - 1.6) * (x - 1.6) / 0.5);
            station.appendPoint(
                i + 1, static_cast<float>(ab[k]),
                static_cast<float>(rho[k] * (1 + noise(rng) * noiseLevel / 0.01)), static_cast<float>(m),
                static_cast<float>(15 + 25 * std::exp(-(x - 1.5) * (x - 1.5) / 0.6)),
                static_cast<float>(500 + 900 * std::exp(-(x - 1.3) * (x - 1.3) / 0.6)),
                static_cast<float>(td), static_cast<float>(m * td / 10), static_cast<float>(mn[k]));
        }
        line.push_back(std::move(station));
    }
    return line;
}

std::string columnFileOf(const StationList& stations) {
    std::string out = utf8ToGbk("生成测线 激电测深数据\n电测深 对称四极 激电测深\n"
                                "点号 AB/2 MN/2 视电阻率 M1 R TH TD ZP 标志 备用 备用\n");
    for (const Station& s : stations) {
        for (std::size_t k = 0; k < s.size(); ++k) {
            out += std::to_string(s.stationNumber[k]);
            append(out, " %g", s.abHalf[k]);
            append(out, " %g", s.mnHalf[k]);
            append(out, " %.2f", s.resistivity[k]);
            append(out, " %.2f", s.chargeability[k]);
            append(out, " %.1f", s.deviation[k]);
            append(out, " %.0f", s.halfDecayTime[k]);
            append(out, " %.1f", s.decay[k]);
            append(out, " %.2f", s.compositeParameter[k]);
            out += " 1 0 0\r\n";
        }
    }
    return out;
}
