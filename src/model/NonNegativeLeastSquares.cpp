#include "model/NonNegativeLeastSquares.h"

#include <Eigen/Dense>

#include <vector>

namespace model {

Eigen::VectorXd nonNegativeLeastSquares(const Eigen::MatrixXd& a, const Eigen::VectorXd& b) {
    const Eigen::Index n = a.cols();
    Eigen::VectorXd x = Eigen::VectorXd::Zero(n);
    std::vector<bool> passive(static_cast<std::size_t>(n), false);
    const double tolerance = 1e-12 * (a.norm() * b.norm() + 1.0);
    for (int outer = 0; outer < 3 * n + 3; ++outer) {
        const Eigen::VectorXd w = a.transpose() * (b - a * x);
        Eigen::Index best = -1;
        for (Eigen::Index j = 0; j < n; ++j)
            if (!passive[static_cast<std::size_t>(j)] && w[j] > tolerance && (best < 0 || w[j] > w[best]))
                best = j;
        if (best < 0)
            break;
        passive[static_cast<std::size_t>(best)] = true;
        for (int inner = 0; inner < 3 * n + 3; ++inner) {
            std::vector<Eigen::Index> columns;
            for (Eigen::Index j = 0; j < n; ++j)
                if (passive[static_cast<std::size_t>(j)])
                    columns.push_back(j);
            Eigen::MatrixXd sub(a.rows(), static_cast<Eigen::Index>(columns.size()));
            for (std::size_t c = 0; c < columns.size(); ++c)
                sub.col(static_cast<Eigen::Index>(c)) = a.col(columns[c]);
            const Eigen::VectorXd zSub = sub.colPivHouseholderQr().solve(b);
            Eigen::VectorXd z = Eigen::VectorXd::Zero(n);
            for (std::size_t c = 0; c < columns.size(); ++c)
                z[columns[c]] = zSub[static_cast<Eigen::Index>(c)];
            bool positive = true;
            double alpha = 1.0;
            for (Eigen::Index j : columns)
                if (z[j] <= 0.0) {
                    positive = false;
                    alpha = std::min(alpha, x[j] / (x[j] - z[j]));
                }
            if (positive) {
                x = z;
                break;
            }
            x += alpha * (z - x);
            for (Eigen::Index j : columns)
                if (x[j] <= 1e-15) {
                    x[j] = 0.0;
                    passive[static_cast<std::size_t>(j)] = false;
                }
        }
    }
    return x;
}

} // namespace model
