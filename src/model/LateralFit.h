#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "model/BatchFit.h"
#include "model/BlockInversion.h"
#include "model/FitReport.h"
#include "model/SoundingData.h"

namespace model {

struct LateralFitOptions {
    // K (or the automatic choice), segments, ideal, fixed values, starts: as for one station. `mask` and
    // `ranges` are not used (masks per station below; a joint fit has no profile ranges).
    BlockFitOptions block;
    // The masked readings of each station, by its position on the line (shorter: none).
    std::vector<std::vector<std::size_t>> masks;
    // W, the weight of the lateral rows; nothing: the program's choice (see fitLine).
    std::optional<double> weight;
    // Position (m) of each station along the line, in file order, or empty: then neighbours are taken as
    // equally spaced. A pair of neighbours d apart gets the weight W / sqrt(d / median spacing), with d /
    // median taken as at least 1/4, so that the constraint weakens with distance and two stations at one spot
    // are not tied harder than four times W.
    std::vector<double> positions;
    unsigned threads = 0;   // 0: as many as the machine has cores
    int maxIterations = 40; // of the damped Gauss-Newton solve, per weight tried
};

// One weight of the automatic choice and the misfit it gave.
struct LateralTrial {
    double weight = 0.0;
    double rmsPercent = 0.0;
};

struct LateralFitResult {
    // Per station in file order: the model of the joint fit, its report (RMS of that station's points,
    // segment factors, chargeability fitted to the joint model's resistivities), or `error` for a station
    // that could not take part.
    std::vector<FitResult> stations;
    int layers = 0;                         // K of the line (the choice with block.autoLayers)
    double weight = 0.0;                    // W used
    double rmsPercent = 0.0;                // over all used points of the stations that took part
    double independentRmsPercent = 0.0;     // the same points fitted station by station
    std::vector<LateralTrial> weightSearch; // with the automatic choice, in the order tried
    int iterations = 0;
    bool converged = false;
    bool cancelled = false; // then every station has the error "Cancelled."
    std::string error;      // the line as a whole could not be fitted (bad options, no station fits)

    bool ok() const { return error.empty() && !cancelled; }
};

// Laterally constrained fit of all stations of a line. The unknowns are ln rho_1..rho_K and ln thk_1..
// thk_(K-1) of every station (and ln f of its segment factors); the residuals are each station's as in its
// own block fit, plus the lateral rows w (q_s - q_(s+1)) of every layer's ln rho and every interface's ln
// depth between neighbouring stations, so that resistivities and interface depths vary smoothly along the
// line. Solved by damped Gauss-Newton on the sparse normal equations (block tridiagonal, sparse Cholesky),
// started from the stations' independent fits, within the same bounds as those.
//
// A station that cannot take part (too few usable points, a mask outside it) keeps the independent fit's
// error; the chain goes on past it: its two neighbours are joined, as neighbours at their distance.
//
// The automatic weight: the weights 0.03, 0.1, 0.3, 1, 3, 10, 30 are tried in turn, each solve started from
// the one before; the largest whose total data sum of squares stays within 10 % of the independent fits' (the
// line's RMS within about 5 % of theirs) is kept. The lateral rows are in ln units, so W = 1 makes a
// difference of 5 % between neighbours cost as much as one reading missed by 5 %.
//
// Control: cancel at any time (then `cancelled`); progress counts stations fitted independently and then
// the stations' share of each weight solved. Memory is linear in the stations. Throws only std::bad_alloc.
LateralFitResult fitLine(std::span<const SoundingData> stations, const LateralFitOptions& options,
                         const BatchControl& control = {});

} // namespace model
