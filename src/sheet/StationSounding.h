#pragma once

#include "data/ProfileData.h"
#include "model/FitReport.h"
#include "model/SoundingData.h"
#include "section/StationModel.h"

// The sounding a station's readings make for a fit: AB/2, MN/2 (zero, an ideal array, when `ideal`
// or when the station has no MN/2 column), apparent resistivity and chargeability.
model::SoundingData soundingOf(const ProfileData& station, bool ideal);

// A fitted station as the model section draws it; a failed fit gives a model without layers.
StationModel stationModelOf(const ProfileData& station, const model::FitResult& fit);
