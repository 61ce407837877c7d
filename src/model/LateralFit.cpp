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

    // Marks the parameters at a bound that the descent pushes outwards: they are held for this iteration.
    // Returns the largest gradient component of the others.
    double holdAtBounds(const Eigen::VectorXd& x, const Eigen::VectorXd& gradient,
                        std::vector<char>& held) const {
        double largest = 0.0;
        for (Eigen::Index j = 0; j < size(); ++j) {
            held[static_cast<std::size_t>(j)] =
                (x[j] <= lower_[j] && gradient[j] > 0.0) || (x[j] >= upper_[j] && gradient[j] < 0.0);
            if (!held[static_cast<std::size_t>(j)])
                largest = std::max(largest, std::abs(gradient[j]));
        }
        return largest;
    }

    // Adds the damping to the diagonal of the normal matrix, and takes the held parameters out of the step
    // (unit row and column, zero right-hand side).
    static void dampAndHold(Eigen::SparseMatrix<double>& damped, Eigen::VectorXd& rhs,
                            const std::vector<char>& held, double damping, const Eigen::VectorXd& scale) {
        for (int k = 0; k < damped.outerSize(); ++k)
            for (Eigen::SparseMatrix<double>::InnerIterator it(damped, k); it; ++it) {
                const bool anyHeld =
                    held[static_cast<std::size_t>(it.row())] || held[static_cast<std::size_t>(it.col())];
                if (it.row() == it.col())
                    it.valueRef() = anyHeld ? 1.0 : it.value() + damping * scale[it.row()];
                else if (anyHeld)
                    it.valueRef() = 0.0;
            }
        for (Eigen::Index j = 0; j < rhs.size(); ++j)
            if (held[static_cast<std::size_t>(j)])
                rhs[j] = 0.0;
    }

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
            if (holdAtBounds(out.x, gradient, held) <= kGradientTolerance) {
                out.converged = true;
                return out;
            }
            scale = scale.cwiseMax(diagonal);
            bool accepted = false;
            while (!accepted && damping < kMaxDamping && !cancelled()) {
                damped = normal;
                Eigen::VectorXd rhs = -gradient;
                dampAndHold(damped, rhs, held, damping, scale);
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

// One run of fitLine: the line, its options, and the result filled step by step.
class LineFit {
public:
    LineFit(std::span<const SoundingData> stations, const LateralFitOptions& options,
            const BatchControl& control)
        : stations_(stations), options_(options), control_(control),
          threads_(options.threads > 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency())),
          weights_(weightsToSolve(options)), total_(stations.size() * (1 + weights_.size())) {
        result_.stations.resize(stations.size());
    }

    LateralFitResult run() {
        if (!fitIndependently())
            return cancelAll();
        result_.layers = layers_;
        makeMembers();
        if (members_.empty()) {
            result_.error = "No station of the line could be fitted.";
            return result_;
        }
        setUnknowns();
        const LineProblem problem(members_, linksOf(members_, options_.positions, stations_.size()), layers_,
                                  lower_, upper_, threads_, control_.cancel);
        double independentCost = 0.0;
        if (!problem.evaluate(start_, false, independentCost)) {
            if (cancelled())
                return cancelAll();
            result_.error = "The model could not be evaluated for the stations of this line.";
            return result_;
        }
        const auto n = static_cast<double>(points_);
        result_.independentRmsPercent = 100.0 * std::sqrt(independentCost / n);
        if (!searchWeights(problem, independentCost * kAllowance, n))
            return cancelAll();
        if (chosenWeight_ == 0.0) {
            result_.error = "The model could not be evaluated for the stations of this line.";
            return result_;
        }
        progress(total_);
        result_.weight = chosenWeight_;
        result_.iterations = chosen_.iterations;
        result_.converged = chosen_.converged;
        result_.rmsPercent = 100.0 * std::sqrt(chosen_.dataCost / n);
        for (const auto& member : members_)
            fillStation(*member);
        return result_;
    }

private:
    // The weights solved in turn, each from the solution of the one before: a given W is reached through the
    // smaller weights of the automatic choice, since a strong constraint applied at once to the independent
    // fits can drag the whole line along an equivalence (a thin layer collapsing to its bounds).
    static std::vector<double> weightsToSolve(const LateralFitOptions& options) {
        std::vector<double> weights;
        for (double w : kWeights)
            if (!options.weight || w < *options.weight * 0.99)
                weights.push_back(w);
        if (options.weight)
            weights.push_back(*options.weight);
        return weights;
    }

    std::span<const std::size_t> maskOf(std::size_t station) const {
        return station < options_.masks.size() ? std::span<const std::size_t>(options_.masks[station])
                                               : std::span<const std::size_t>();
    }

    void progress(std::size_t done) {
        if (!control_.progress)
            return;
        std::lock_guard lock(progressMutex_);
        try {
            control_.progress(done, total_);
        } catch (...) {
        }
    }

    bool cancelled() const { return control_.cancel && control_.cancel->load(); }

    LateralFitResult cancelAll() {
        for (FitResult& fit : result_.stations) {
            fit = FitResult();
            fit.report.error = "Cancelled.";
        }
        result_.cancelled = true;
        return result_;
    }

    // The independent fits: the start of the joint one, and the misfit it is measured against. With the
    // automatic choice, the line's K and the stations that chose another count fitted again with it. False
    // when cancelled.
    bool fitIndependently() {
        BatchOptions batch;
        batch.kind = FitKind::Block;
        batch.block = options_.block;
        batch.block.ranges = false;
        batch.block.chargeability = false;
        batch.block.mask.clear();
        batch.masks = options_.masks;
        batch.threads = threads_;
        BatchControl independentControl;
        independentControl.cancel = control_.cancel;
        independentControl.progress = [&](std::size_t done, std::size_t) { progress(done); };
        independent_ = fitStations(stations_, batch, independentControl);
        rethrowOutOfMemory(independent_);
        if (cancelled())
            return false;
        layers_ = options_.block.layers;
        if (!options_.block.autoLayers)
            return true;
        layers_ = lineLayerCount(independent_);
        if (layers_ == 0)
            layers_ = kMinAutoLayers;
        result_.layers = layers_;
        batch.block.autoLayers = false;
        batch.block.layers = layers_;
        return refitOtherCounts(batch);
    }

    // The stations that chose another count than the line's, fitted again with the line's. False when
    // cancelled.
    bool refitOtherCounts(const BatchOptions& batch) {
        for (std::size_t s = 0; s < stations_.size(); ++s) {
            if (!independent_[s].report.ok() || independent_[s].report.layersChosen == layers_)
                continue;
            BatchOptions one = batch;
            one.masks.clear();
            if (s < options_.masks.size())
                one.block.mask = options_.masks[s];
            one.threads = 1;
            FitResult fit = fitStations(std::span(stations_.subspan(s, 1)), one)[0];
            rethrowOutOfMemory(std::span(&fit, 1));
            fit.report.layerSearch = std::move(independent_[s].report.layerSearch);
            fit.report.layersChosen = layers_;
            independent_[s] = std::move(fit);
            if (cancelled())
                return false;
        }
        return true;
    }

    // The members and their places in the joint vector of unknowns; a station whose independent fit failed
    // keeps that fit's report.
    void makeMembers() {
        const int modelParameters = 2 * layers_ - 1;
        for (std::size_t s = 0; s < stations_.size(); ++s) {
            if (!independent_[s].report.ok()) {
                result_.stations[s].report = independent_[s].report;
                continue;
            }
            auto member = std::make_unique<Member>();
            member->index = s;
            member->points = UsablePoints::of(stations_[s], options_.block.ideal, maskOf(s));
            member->segments = segmentsOf(member->points, options_.block.segments);
            member->forward = std::make_unique<SchlumbergerForward>(member->points.ab2, member->points.mn2);
            member->residual =
                std::make_unique<LogResidual>(*member->forward, member->points.rhoa, layers_,
                                              member->segments.factorOfPoint, member->segments.factors);
            member->offset = unknowns_;
            member->count = modelParameters + member->segments.factors;
            unknowns_ += member->count;
            members_.push_back(std::move(member));
        }
    }

    // Bounds and start of every member's unknowns, from its independent fit.
    void setUnknowns() {
        const int modelParameters = 2 * layers_ - 1;
        lower_.resize(unknowns_);
        upper_.resize(unknowns_);
        start_.resize(unknowns_);
        for (const auto& member : members_) {
            Eigen::VectorXd lo, hi;
            blockBounds(member->points, layers_, member->segments.factors, lo, hi);
            const FitResult& fit = independent_[member->index];
            Eigen::VectorXd x(member->count);
            for (int k = 0; k < layers_; ++k) {
                x[k] = std::log(fit.model.layers[static_cast<std::size_t>(k)].rho);
                if (k + 1 < layers_)
                    x[layers_ + k] = std::log(fit.model.layers[static_cast<std::size_t>(k)].thk);
            }
            int factor = 0;
            for (const SegmentFactor& segment : fit.report.segments)
                if (!segment.reference && factor < member->segments.factors)
                    x[modelParameters + factor++] = std::log(segment.factor);
            // A held value is its own bound on both sides.
            for (const FixedParameter& fixed : options_.block.fixed)
                if (const auto i = parameterIndex(fixed.name, layers_))
                    lo[*i] = hi[*i] = std::log(fixed.value);
            lower_.segment(member->offset, member->count) = lo;
            upper_.segment(member->offset, member->count) = hi;
            start_.segment(member->offset, member->count) = x;
            points_ += member->points.size();
        }
    }

    // Solves the weights in turn and keeps the one to report (the given W, or the largest whose data sum of
    // squares stays within `allowed`). False when cancelled.
    bool searchWeights(const LineProblem& problem, double allowed, double n) {
        std::size_t done = stations_.size();
        Eigen::VectorXd x = start_;
        for (std::size_t w = 0; w < weights_.size(); ++w) {
            const double weight = weights_[w];
            const bool last = w + 1 == weights_.size();
            LineProblem::Solve solved = problem.solve(x, weight, options_.maxIterations);
            if (cancelled())
                return false;
            done += stations_.size();
            progress(done);
            if (!solved.evaluable)
                break;
            x = solved.x;
            if (options_.weight) {
                if (last) {
                    chosen_ = std::move(solved);
                    chosenWeight_ = weight;
                }
                continue;
            }
            result_.weightSearch.push_back({weight, 100.0 * std::sqrt(solved.dataCost / n)});
            const bool within = solved.dataCost <= allowed;
            if (!within && chosenWeight_ > 0.0)
                break;
            chosen_ = std::move(solved);
            chosenWeight_ = weight;
            if (!within) // not even the smallest weight keeps the misfit: that one all the same
                break;
        }
        return true;
    }

    // The station's model and report from the chosen solve.
    void fillStation(const Member& member) {
        FitResult& out = result_.stations[member.index];
        const Eigen::VectorXd xs = chosen_.x.segment(member.offset, member.count);
        for (int k = 0; k < layers_; ++k)
            out.model.layers.push_back(blockLayer(xs, layers_, k, options_.block.fixed));
        FitReport& report = out.report;
        const FitReport& own = independent_[member.index].report;
        report.layerSearch = own.layerSearch;
        report.layersChosen = options_.block.autoLayers ? layers_ : 0;
        const std::vector<double> factorOfPoint =
            reportSegments(member.segments, member.points, xs, 2 * layers_ - 1, report);
        if (member.index < options_.masks.size()) {
            report.masked = options_.masks[member.index];
            std::sort(report.masked.begin(), report.masked.end());
            report.masked.erase(std::unique(report.masked.begin(), report.masked.end()), report.masked.end());
        }
        report.iterations = chosen_.iterations;
        report.converged = chosen_.converged;
        fillResponse(*member.forward, member.points, out.model, report, factorOfPoint);
        if (options_.block.chargeability)
            fitChargeability(stations_[member.index], options_.block.ideal, out.model, report,
                             maskOf(member.index));
    }

    std::span<const SoundingData> stations_;
    const LateralFitOptions& options_;
    const BatchControl& control_;
    const unsigned threads_;
    const std::vector<double> weights_;
    const std::size_t total_;
    std::mutex progressMutex_;
    LateralFitResult result_;
    std::vector<FitResult> independent_;
    int layers_ = 0;
    std::vector<std::unique_ptr<Member>> members_;
    Eigen::Index unknowns_ = 0;
    Eigen::VectorXd lower_, upper_, start_;
    std::size_t points_ = 0;
    LineProblem::Solve chosen_;
    double chosenWeight_ = 0.0;
};

} // namespace

LateralFitResult fitLine(std::span<const SoundingData> stations, const LateralFitOptions& options,
                         const BatchControl& control) {
    if (options.weight && !(std::isfinite(*options.weight) && *options.weight > 0.0)) {
        LateralFitResult result;
        result.stations.resize(stations.size());
        result.error = "The lateral weight must be a positive number.";
        return result;
    }
    return LineFit(stations, options, control).run();
}

} // namespace model
