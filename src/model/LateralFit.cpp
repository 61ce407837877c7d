#include "model/LateralFit.h"

#include <Eigen/Dense>
#include <Eigen/SparseCholesky>
#include <Eigen/SparseCore>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "model/BlockSetup.h"
#include "model/ChargeabilityFit.h"
#include "model/LayerLimits.h"
#include "model/LogResidual.h"
#include "model/SchlumbergerForward.h"
#include "model/WorkerThreads.h"

namespace model {

namespace {

// The weights the automatic choice tries, smallest first (each solve starts from the one before).
constexpr double kWeights[] = {0.03, 0.1, 0.3, 1.0, 3.0, 10.0, 30.0};
// The automatic choice keeps the data sum of squares within this factor of the independent fits' (RMS within
// about 5 %). Allowing the full misfit of the noise instead (n / (n - p) times theirs, 1.26 for 24 points and
// 5 parameters a station) let a thin conductive layer collapse to its bounds on the synthetic test line: at
// the equivalence of its thickness and resistivity, identical values along the line cost no lateral misfit.
constexpr double kAllowance = 1.1;
// Neighbours closer than this fraction of the median spacing are weighed as if this far apart.
constexpr double kClosestSpacing = 0.25;
// Converged: this many accepted steps in a row each lowered the cost by less than this fraction.
constexpr double kRelativeDecrease = 1e-6;
constexpr int kSmallSteps = 2;
constexpr double kGradientTolerance = 1e-10;
constexpr double kMaxDamping = 1e12;

// One station that takes part: its points, forward, residuals and place in the joint vector of unknowns.
struct Member {
    std::size_t index = 0; // on the line
    UsablePoints points;
    Segmentation segments;
    std::unique_ptr<SchlumbergerForward> forward;
    std::unique_ptr<LogResidual> residual;
    Eigen::Index offset = 0; // of its first unknown
    Eigen::Index count = 0;  // 2K - 1 + its segment factors
    Eigen::VectorXd r;       // residuals and their Jacobian at the current unknowns
    Eigen::MatrixXd jacobian;
};

// Two stations joined by lateral rows of weight W * factor.
struct Link {
    std::size_t a = 0, b = 0; // members
    double factor = 1.0;
};

// Runs task(i) for i < count on up to `threads` threads; rethrows std::bad_alloc of any task.
template <class Task> void parallelFor(std::size_t count, unsigned threads, Task task) {
    std::atomic<std::size_t> next{0};
    std::atomic<bool> outOfMemory{false};
    auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            try {
                task(i);
            } catch (...) { // only running out of memory
                outOfMemory = true;
            }
        }
    };
    runOnThreads(static_cast<unsigned>(std::min<std::size_t>(threads, count)), work);
    if (outOfMemory)
        throw std::bad_alloc();
}

// The joint problem over the unknowns of all members.
class LineProblem {
public:
    LineProblem(std::vector<std::unique_ptr<Member>>& members, std::vector<Link> links, int layers,
                Eigen::VectorXd lower, Eigen::VectorXd upper, unsigned threads,
                const std::atomic<bool>* cancel)
        : members_(members), links_(std::move(links)), layers_(layers), lower_(std::move(lower)),
          upper_(std::move(upper)), threads_(threads), cancel_(cancel) {}

    Eigen::Index size() const { return lower_.size(); }
    bool cancelled() const { return cancel_ && cancel_->load(); }

    // Data residuals (and Jacobians) of every member at x into the members; false when some station's
    // model cannot be evaluated. Returns the data sum of squares in `dataCost`.
    bool evaluate(const Eigen::VectorXd& x, bool withJacobian, double& dataCost) const {
        std::vector<char> ok(members_.size(), 0);
        parallelFor(members_.size(), threads_, [&](std::size_t m) {
            Member& member = *members_[m];
            if (cancelled())
                return;
            ok[m] = (*member.residual)(x.segment(member.offset, member.count), member.r,
                                       withJacobian ? &member.jacobian : nullptr) &&
                    member.r.allFinite();
        });
        dataCost = 0.0;
        for (std::size_t m = 0; m < members_.size(); ++m) {
            if (!ok[m])
                return false;
            dataCost += members_[m]->r.squaredNorm();
        }
        return true;
    }

    // ln rho_1..rho_K and ln depth_1..depth_(K-1) of a member, and their derivatives with respect to its
    // model unknowns (2K - 1 square; the factors do not enter).
    void lateralQuantities(const Eigen::VectorXd& x, const Member& member, Eigen::VectorXd& q,
                           Eigen::MatrixXd& dq) const {
        const int k = layers_;
        const Eigen::Index n = 2 * k - 1;
        q.resize(n);
        dq.setZero(n, n);
        for (int i = 0; i < k; ++i) {
            q[i] = x[member.offset + i];
            dq(i, i) = 1.0;
        }
        double depth = 0.0;
        for (int i = 0; i + 1 < k; ++i) {
            depth += std::exp(x[member.offset + k + i]);
            q[k + i] = std::log(depth);
            for (int j = 0; j <= i; ++j)
                dq(k + i, k + j) = std::exp(x[member.offset + k + j]) / depth;
        }
    }

    double lateralCost(const Eigen::VectorXd& x, double weight) const {
        double sum = 0.0;
        Eigen::VectorXd qa, qb;
        Eigen::MatrixXd da, db;
        for (const Link& link : links_) {
            lateralQuantities(x, *members_[link.a], qa, da);
            lateralQuantities(x, *members_[link.b], qb, db);
            const double w = weight * link.factor;
            sum += w * w * (qa - qb).squaredNorm();
        }
        return sum;
    }

    // The Gauss-Newton system J^T J, J^T r at x (the members' residuals and Jacobians already there).
    void normalEquations(const Eigen::VectorXd& x, double weight,
                         std::vector<Eigen::Triplet<double>>& entries, Eigen::VectorXd& gradient) const {
        entries.clear();
        gradient.setZero(size());
        for (Eigen::Index j = 0; j < size(); ++j) // every diagonal entry in the pattern, for the damping
            entries.emplace_back(j, j, 0.0);
        auto addBlock = [&](Eigen::Index row, Eigen::Index column, const Eigen::MatrixXd& block) {
            for (Eigen::Index j = 0; j < block.cols(); ++j)
                for (Eigen::Index i = 0; i < block.rows(); ++i)
                    if (block(i, j) != 0.0)
                        entries.emplace_back(row + i, column + j, block(i, j));
        };
        for (const auto& member : members_) {
            addBlock(member->offset, member->offset, member->jacobian.transpose() * member->jacobian);
            gradient.segment(member->offset, member->count) += member->jacobian.transpose() * member->r;
        }
        Eigen::VectorXd qa, qb;
        Eigen::MatrixXd da, db;
        for (const Link& link : links_) {
            const Member& a = *members_[link.a];
            const Member& b = *members_[link.b];
            lateralQuantities(x, a, qa, da);
            lateralQuantities(x, b, qb, db);
            const double w2 = weight * link.factor * weight * link.factor;
            const Eigen::VectorXd difference = qa - qb;
            const Eigen::Index n = da.cols();
            addBlock(a.offset, a.offset, w2 * da.transpose() * da);
            addBlock(b.offset, b.offset, w2 * db.transpose() * db);
            const Eigen::MatrixXd cross = -w2 * da.transpose() * db;
            addBlock(a.offset, b.offset, cross);
            addBlock(b.offset, a.offset, cross.transpose());
            gradient.segment(a.offset, n) += w2 * da.transpose() * difference;
            gradient.segment(b.offset, n) -= w2 * db.transpose() * difference;
        }
    }

    struct Solve {
        Eigen::VectorXd x;
        double dataCost = 0.0;
        int iterations = 0;
        bool converged = false;
        bool evaluable = true;
    };

    // Damped Gauss-Newton (Marquardt's scaling) from x within the bounds, at lateral weight `weight`.
    Solve solve(Eigen::VectorXd x, double weight, int maxIterations) const {
        Solve out;
        const Eigen::Index n = size();
        out.x = x.cwiseMax(lower_).cwiseMin(upper_);
        double dataCost = 0.0;
        if (!evaluate(out.x, true, dataCost)) {
            out.evaluable = false;
            return out;
        }
        double cost = dataCost + lateralCost(out.x, weight);
        out.dataCost = dataCost;
        std::vector<Eigen::Triplet<double>> entries;
        Eigen::VectorXd gradient, diagonal(n), scale = Eigen::VectorXd::Constant(n, 1e-12);
        std::vector<char> held(static_cast<std::size_t>(n));
        Eigen::SparseMatrix<double> normal(n, n), damped(n, n);
        Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> solver;
        double damping = 1e-3;
        int smallSteps = 0;
        for (int iteration = 1; iteration <= maxIterations && !cancelled(); ++iteration) {
            out.iterations = iteration;
            normalEquations(out.x, weight, entries, gradient);
            normal.setFromTriplets(entries.begin(), entries.end());
            diagonal = normal.diagonal();
            double largest = 0.0;
            for (Eigen::Index j = 0; j < n; ++j) {
                // A parameter at a bound that the descent pushes outwards is held for this iteration.
                held[static_cast<std::size_t>(j)] = (out.x[j] <= lower_[j] && gradient[j] > 0.0) ||
                                                    (out.x[j] >= upper_[j] && gradient[j] < 0.0);
                if (!held[static_cast<std::size_t>(j)])
                    largest = std::max(largest, std::abs(gradient[j]));
            }
            if (largest <= kGradientTolerance) {
                out.converged = true;
                return out;
            }
            scale = scale.cwiseMax(diagonal);
            bool accepted = false;
            while (!accepted && damping < kMaxDamping && !cancelled()) {
                damped = normal;
                Eigen::VectorXd rhs = -gradient;
                for (int k = 0; k < damped.outerSize(); ++k)
                    for (Eigen::SparseMatrix<double>::InnerIterator it(damped, k); it; ++it) {
                        const bool anyHeld = held[static_cast<std::size_t>(it.row())] ||
                                             held[static_cast<std::size_t>(it.col())];
                        if (it.row() == it.col())
                            it.valueRef() = anyHeld ? 1.0 : it.value() + damping * scale[it.row()];
                        else if (anyHeld)
                            it.valueRef() = 0.0;
                    }
                for (Eigen::Index j = 0; j < n; ++j)
                    if (held[static_cast<std::size_t>(j)])
                        rhs[j] = 0.0;
                solver.compute(damped);
                double trialCost = std::numeric_limits<double>::infinity();
                Eigen::VectorXd trial;
                double trialData = 0.0;
                if (solver.info() == Eigen::Success) {
                    const Eigen::VectorXd step = solver.solve(rhs);
                    trial = (out.x + step).cwiseMax(lower_).cwiseMin(upper_);
                    if (step.allFinite() && evaluate(trial, true, trialData))
                        trialCost = trialData + lateralCost(trial, weight);
                }
                if (trialCost < cost) {
                    const double decrease = (cost - trialCost) / cost;
                    smallSteps = decrease < kRelativeDecrease ? smallSteps + 1 : 0;
                    out.x = std::move(trial);
                    out.dataCost = trialData;
                    cost = trialCost;
                    damping = std::max(damping / 3.0, 1e-9);
                    accepted = true;
                } else {
                    damping *= 4.0;
                }
            }
            if (!accepted) {
                // No step down at any damping: the members hold the last trial, so evaluate again at x.
                double ignored = 0.0;
                if (!cancelled())
                    evaluate(out.x, true, ignored);
                out.converged = !cancelled();
                return out;
            }
            if (smallSteps >= kSmallSteps || cost == 0.0) {
                out.converged = true;
                return out;
            }
        }
        return out;
    }

private:
    std::vector<std::unique_ptr<Member>>& members_;
    std::vector<Link> links_;
    int layers_;
    Eigen::VectorXd lower_, upper_;
    unsigned threads_;
    const std::atomic<bool>* cancel_;
};

// The K of the line with the automatic choice: the count chosen most often by the stations (the smaller of
// equally frequent ones), or 0 when no station was fitted.
int lineLayerCount(std::span<const FitResult> fits) {
    std::map<int, int> votes;
    for (const FitResult& fit : fits)
        if (fit.report.ok())
            ++votes[fit.report.layersChosen > 0 ? fit.report.layersChosen
                                                : static_cast<int>(fit.model.size())];
    int best = 0, bestVotes = 0;
    for (const auto& [layers, count] : votes)
        if (count > bestVotes) {
            best = layers;
            bestVotes = count;
        }
    return best;
}

// Lateral link factors 1 / sqrt(d / median spacing) of neighbouring members, d from the positions (or the
// count of steps between them on the line when there are none).
std::vector<Link> linksOf(const std::vector<std::unique_ptr<Member>>& members,
                          std::span<const double> positions, std::size_t stations) {
    const bool placed = positions.size() == stations;
    std::vector<double> spacings;
    if (placed) {
        for (std::size_t s = 0; s + 1 < stations; ++s) {
            const double d = std::abs(positions[s + 1] - positions[s]);
            if (std::isfinite(d) && d > 0.0)
                spacings.push_back(d);
        }
    }
    double median = 1.0;
    if (!spacings.empty()) {
        std::nth_element(spacings.begin(),
                         spacings.begin() + static_cast<std::ptrdiff_t>(spacings.size() / 2), spacings.end());
        median = spacings[spacings.size() / 2];
    }
    std::vector<Link> links;
    for (std::size_t m = 0; m + 1 < members.size(); ++m) {
        const std::size_t a = members[m]->index, b = members[m + 1]->index;
        double d =
            placed && !spacings.empty() ? std::abs(positions[b] - positions[a]) : static_cast<double>(b - a);
        if (!std::isfinite(d))
            d = static_cast<double>(b - a) * median;
        links.push_back({m, m + 1, 1.0 / std::sqrt(std::max(d / median, kClosestSpacing))});
    }
    return links;
}

} // namespace

LateralFitResult fitLine(std::span<const SoundingData> stations, const LateralFitOptions& options,
                         const BatchControl& control) {
    LateralFitResult result;
    result.stations.resize(stations.size());
    if (options.weight && !(std::isfinite(*options.weight) && *options.weight > 0.0)) {
        result.error = "The lateral weight must be a positive number.";
        return result;
    }
    const unsigned threads =
        options.threads > 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    // The weights solved in turn, each from the solution of the one before: a given W is reached through the
    // smaller weights of the automatic choice, since a strong constraint applied at once to the independent
    // fits can drag the whole line along an equivalence (a thin layer collapsing to its bounds).
    std::vector<double> weights;
    for (double w : kWeights)
        if (!options.weight || w < *options.weight * 0.99)
            weights.push_back(w);
    if (options.weight)
        weights.push_back(*options.weight);
    const std::size_t weightCount = weights.size();
    const std::size_t total = stations.size() * (1 + weightCount);
    std::mutex progressMutex;
    auto progress = [&](std::size_t done) {
        if (!control.progress)
            return;
        std::lock_guard lock(progressMutex);
        try {
            control.progress(done, total);
        } catch (...) {
        }
    };
    auto cancelled = [&] { return control.cancel && control.cancel->load(); };
    auto cancelAll = [&] {
        for (FitResult& fit : result.stations) {
            fit = FitResult();
            fit.report.error = "Cancelled.";
        }
        result.cancelled = true;
        return result;
    };

    // The independent fits: the start of the joint one, and the misfit it is measured against.
    BatchOptions batch;
    batch.kind = FitKind::Block;
    batch.block = options.block;
    batch.block.ranges = false;
    batch.block.chargeability = false;
    batch.block.mask.clear();
    batch.masks = options.masks;
    batch.threads = threads;
    BatchControl independentControl;
    independentControl.cancel = control.cancel;
    independentControl.progress = [&](std::size_t done, std::size_t) { progress(done); };
    std::vector<FitResult> independent = fitStations(stations, batch, independentControl);
    rethrowOutOfMemory(independent);
    if (cancelled())
        return cancelAll();
    int layers = options.block.layers;
    if (options.block.autoLayers) {
        layers = lineLayerCount(independent);
        if (layers == 0)
            layers = kMinAutoLayers;
        result.layers = layers;
        // The stations that chose another count are fitted again with the line's.
        batch.block.autoLayers = false;
        batch.block.layers = layers;
        for (std::size_t s = 0; s < stations.size(); ++s) {
            if (!independent[s].report.ok() || independent[s].report.layersChosen == layers)
                continue;
            BatchOptions one = batch;
            one.masks.clear();
            if (s < options.masks.size())
                one.block.mask = options.masks[s];
            one.threads = 1;
            FitResult fit = fitStations(std::span(stations.subspan(s, 1)), one)[0];
            rethrowOutOfMemory(std::span(&fit, 1));
            fit.report.layerSearch = std::move(independent[s].report.layerSearch);
            fit.report.layersChosen = layers;
            independent[s] = std::move(fit);
            if (cancelled())
                return cancelAll();
        }
    }
    result.layers = layers;

    // The members and their unknowns, bounds and start.
    std::vector<std::unique_ptr<Member>> members;
    const int modelParameters = 2 * layers - 1;
    Eigen::Index unknowns = 0;
    for (std::size_t s = 0; s < stations.size(); ++s) {
        if (!independent[s].report.ok()) {
            result.stations[s].report = independent[s].report;
            continue;
        }
        auto member = std::make_unique<Member>();
        member->index = s;
        const std::span<const std::size_t> mask = s < options.masks.size()
                                                      ? std::span<const std::size_t>(options.masks[s])
                                                      : std::span<const std::size_t>();
        member->points = UsablePoints::of(stations[s], options.block.ideal, mask);
        member->segments = segmentsOf(member->points, options.block.segments);
        member->forward = std::make_unique<SchlumbergerForward>(member->points.ab2, member->points.mn2);
        member->residual =
            std::make_unique<LogResidual>(*member->forward, member->points.rhoa, layers,
                                          member->segments.factorOfPoint, member->segments.factors);
        member->offset = unknowns;
        member->count = modelParameters + member->segments.factors;
        unknowns += member->count;
        members.push_back(std::move(member));
    }
    if (members.empty()) {
        result.error = "No station of the line could be fitted.";
        return result;
    }
    Eigen::VectorXd lower(unknowns), upper(unknowns), start(unknowns);
    std::size_t points = 0;
    for (const auto& member : members) {
        Eigen::VectorXd lo, hi;
        blockBounds(member->points, layers, member->segments.factors, lo, hi);
        const FitResult& fit = independent[member->index];
        Eigen::VectorXd x(member->count);
        for (int k = 0; k < layers; ++k) {
            x[k] = std::log(fit.model.layers[static_cast<std::size_t>(k)].rho);
            if (k + 1 < layers)
                x[layers + k] = std::log(fit.model.layers[static_cast<std::size_t>(k)].thk);
        }
        int factor = 0;
        for (const SegmentFactor& segment : fit.report.segments)
            if (!segment.reference && factor < member->segments.factors)
                x[modelParameters + factor++] = std::log(segment.factor);
        // A held value is its own bound on both sides.
        for (const FixedParameter& fixed : options.block.fixed)
            if (const auto i = parameterIndex(fixed.name, layers))
                lo[*i] = hi[*i] = std::log(fixed.value);
        lower.segment(member->offset, member->count) = lo;
        upper.segment(member->offset, member->count) = hi;
        start.segment(member->offset, member->count) = x;
        points += member->points.size();
    }

    const LineProblem problem(members, linksOf(members, options.positions, stations.size()), layers, lower,
                              upper, threads, control.cancel);
    double independentCost = 0.0;
    if (!problem.evaluate(start, false, independentCost)) {
        if (cancelled())
            return cancelAll();
        result.error = "The model could not be evaluated for the stations of this line.";
        return result;
    }
    const auto n = static_cast<double>(points);
    result.independentRmsPercent = 100.0 * std::sqrt(independentCost / n);
    const double allowed = independentCost * kAllowance;

    std::size_t done = stations.size();
    LineProblem::Solve chosen;
    double chosenWeight = 0.0;
    Eigen::VectorXd x = start;
    for (std::size_t w = 0; w < weightCount; ++w) {
        const double weight = weights[w];
        const bool last = w + 1 == weightCount;
        LineProblem::Solve solved = problem.solve(x, weight, options.maxIterations);
        if (cancelled())
            return cancelAll();
        done += stations.size();
        progress(done);
        if (!solved.evaluable)
            break;
        x = solved.x;
        if (options.weight) {
            if (last) {
                chosen = std::move(solved);
                chosenWeight = weight;
            }
            continue;
        }
        result.weightSearch.push_back({weight, 100.0 * std::sqrt(solved.dataCost / n)});
        const bool within = solved.dataCost <= allowed;
        if (!within && chosenWeight > 0.0)
            break;
        chosen = std::move(solved);
        chosenWeight = weight;
        if (!within) // not even the smallest weight keeps the misfit: that one all the same
            break;
    }
    if (chosenWeight == 0.0) {
        result.error = "The model could not be evaluated for the stations of this line.";
        return result;
    }
    progress(total);

    result.weight = chosenWeight;
    result.iterations = chosen.iterations;
    result.converged = chosen.converged;
    result.rmsPercent = 100.0 * std::sqrt(chosen.dataCost / n);
    for (const auto& member : members) {
        FitResult& out = result.stations[member->index];
        const Eigen::VectorXd xs = chosen.x.segment(member->offset, member->count);
        for (int k = 0; k < layers; ++k) {
            Layer layer;
            layer.rho = std::exp(xs[k]);
            layer.thk = k + 1 < layers ? std::exp(xs[layers + k]) : 0.0;
            for (const FixedParameter& fixed : options.block.fixed) {
                const auto i = parameterIndex(fixed.name, layers);
                if (i && *i == k) {
                    layer.fixedRho = true;
                    layer.rho = fixed.value;
                } else if (i && *i == layers + k) {
                    layer.fixedThk = true;
                    layer.thk = fixed.value;
                }
            }
            out.model.layers.push_back(layer);
        }
        FitReport& report = out.report;
        const FitReport& own = independent[member->index].report;
        report.layerSearch = own.layerSearch;
        report.layersChosen = options.block.autoLayers ? layers : 0;
        std::vector<double> factorOfPoint;
        if (!member->segments.segments.empty()) {
            report.segments = member->segments.segments;
            int factor = 0;
            for (SegmentFactor& segment : report.segments)
                if (!segment.reference)
                    segment.factor = std::exp(xs[modelParameters + factor++]);
            for (std::size_t i = 0; i < member->points.size(); ++i) {
                const int f = member->segments.factorOfPoint.empty() ? -1 : member->segments.factorOfPoint[i];
                factorOfPoint.push_back(f < 0 ? 1.0 : std::exp(xs[modelParameters + f]));
                report.correctedRhoa.push_back(factorOfPoint.back() * member->points.rhoa[i]);
            }
        }
        if (member->index < options.masks.size()) {
            report.masked = options.masks[member->index];
            std::sort(report.masked.begin(), report.masked.end());
            report.masked.erase(std::unique(report.masked.begin(), report.masked.end()), report.masked.end());
        }
        report.iterations = chosen.iterations;
        report.converged = chosen.converged;
        fillResponse(*member->forward, member->points, out.model, report, factorOfPoint);
        if (options.block.chargeability) {
            const std::span<const std::size_t> mask =
                member->index < options.masks.size()
                    ? std::span<const std::size_t>(options.masks[member->index])
                    : std::span<const std::size_t>();
            fitChargeability(stations[member->index], options.block.ideal, out.model, report, mask);
        }
    }
    return result;
}

} // namespace model
