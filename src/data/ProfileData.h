#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// Marks an absent value in every value field of a station.
inline constexpr float missingValue = -9999.0f;
// The point code both readers store for every point; nothing interprets it.
inline constexpr std::int32_t pointCodeValue = 102;

// One sounding station: ten parallel vectors, element i of each belonging to measurement point i
// (one electrode spacing), in file order. All vectors always have the same length.
struct ProfileData {
    std::vector<std::int32_t> stationNumber;
    std::vector<std::int32_t> pointCode;
    std::vector<float> abHalf;             // AB/2 in metres, the x value of every curve
    std::vector<float> resistivity;        // apparent resistivity
    std::vector<float> chargeability;      // M1
    std::vector<float> deviation;          // R
    std::vector<float> halfDecayTime;      // TH
    std::vector<float> decay;              // TD
    std::vector<float> compositeParameter; // ZP
    std::vector<float> mnHalf;             // MN/2 in metres where the file gives it (column files), else 0

    std::size_t size() const { return abHalf.size(); }
    bool empty() const { return abHalf.empty(); }

    // Makes room for `points` measurement points in all nine vectors.
    void reserve(std::size_t points);

    // Appends one measurement point to all vectors together.
    void appendPoint(std::int32_t number, float ab, float rho, float m1, float r, float th, float td,
                     float zp, float mn = 0.0f);

    friend bool operator==(const ProfileData&, const ProfileData&) = default;
};

// The station list of a loaded file, in order of first appearance.
using StationList = std::vector<ProfileData>;

// Index of the first station whose number equals `number`.
std::optional<std::size_t> findStationIndex(const StationList& stations, std::int32_t number);
