#pragma once

namespace model {

// The p-quantile (0 < p < 1) of the F distribution with d1 and d2 degrees of freedom (both > 0), computed
// from the regularised incomplete beta function to about 1e-10: for example 4.96 for p = 0.95, d1 = 1,
// d2 = 10. The significance tests of the fits use it.
double fQuantile(double p, double d1, double d2);

// The cumulative F distribution at x >= 0.
double fDistribution(double x, double d1, double d2);

} // namespace model
