#pragma once

#include "data/Station.h"
#include "model/FitReport.h"
#include "model/SoundingData.h"
#include "section/StationModel.h"
#include "section/StationPlacement.h"

#include <vector>

// The sounding a station's readings make for a fit: AB/2, MN/2 (zero, an ideal array, when `ideal`
// or when the station has no MN/2 column), apparent resistivity and chargeability.
model::SoundingData soundingOf(const Station& station, bool ideal);

// A fitted station as the model section draws it; a failed fit gives a model without layers.
StationModel stationModelOf(const Station& station, const model::FitResult& fit);

// The stations' positions along the line (m) as the section places them (number x spacing, or the order in
// the file): the distances that weaken the lateral constraint between neighbours.
std::vector<double> stationPositions(const StationList& stations, StationPlacement placement, double spacing);
