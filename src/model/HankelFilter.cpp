#include "model/HankelFilter.h"

#include <cmath>

namespace model {

HankelFilter::HankelFilter(std::span<const double> base, std::span<const double> j1)
    : base_(base), j1_(j1), logBase0_(std::log(base.front())),
      // The mean step over the whole table: the tables hold 17 digits, so this is exact to rounding.
      logStep_((std::log(base.back()) - std::log(base.front())) / static_cast<double>(base.size() - 1)) {}

} // namespace model
