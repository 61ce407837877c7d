#pragma once

#include "model/FitReport.h"
#include "model/ForwardModel.h"
#include "model/SoundingData.h"

namespace model {

// Fits the chargeabilities (percent, >= 0) of the layers of `model` to the M1 values (percent) of `data`,
// resistivities and thicknesses held, by Seigel's relation; a layer with fixedM keeps its value. Sets the
// layers' m and the report's maResponse (at the usable points) and maRms. A sounding without M1 values
// leaves the model unchanged and returns false (no error: there is nothing to fit).
bool fitChargeability(const SoundingData& data, bool ideal, LayeredModel& model, FitReport& report,
                      std::span<const std::size_t> masked = {});

} // namespace model
