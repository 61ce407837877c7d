#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/MissingValue.h"
#include "data/ValueColumn.h"

// The point code both readers store for every point; nothing interprets it.
inline constexpr std::int32_t pointCodeValue = 102;

// One sounding station: ten parallel columns, element i of each belonging to measurement point i
// (one electrode spacing), in file order. All columns always have the same length. AB/2 and the
// resistivity differ from point to point and are plain vectors; the other fields are often the same at
// every point (the station number and point code always, the IP values and MN/2 of a tagged file) and
// then cost the same memory whatever the number of points.
struct Station {
    ValueColumn<std::int32_t> stationNumber;
    ValueColumn<std::int32_t> pointCode;
    std::vector<float> abHalf;             // AB/2 in metres, the x value of every curve
    std::vector<float> resistivity;        // apparent resistivity
    ValueColumn<float> chargeability;      // M1
    ValueColumn<float> deviation;          // R
    ValueColumn<float> halfDecayTime;      // TH
    ValueColumn<float> decay;              // TD
    ValueColumn<float> compositeParameter; // ZP
    ValueColumn<float> mnHalf;             // MN/2 in metres where the file gives it (column files), else 0

    std::size_t size() const { return abHalf.size(); }
    bool empty() const { return abHalf.empty(); }

    // Makes room for `points` measurement points in all columns.
    void reserve(std::size_t points);

    // Appends one measurement point to all columns together.
    void appendPoint(std::int32_t number, float ab, float rho, float m1, float r, float th, float td,
                     float zp, float mn = 0.0f);

    friend bool operator==(const Station&, const Station&) = default;
};

// The station list of a loaded file, in order of first appearance.
using StationList = std::vector<Station>;

// Index of the first station whose number equals `number`.
std::optional<std::size_t> findStationIndex(const StationList& stations, std::int32_t number);
