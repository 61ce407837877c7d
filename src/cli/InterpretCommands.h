#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "data/Station.h"
#include "model/SoundingData.h"

// `vesplot forward --rho R1,R2,... [--thk H1,...] [--m M1,...] [--ab2 A1,...] [--mn2 B1,...]`: the apparent
// resistivity (and chargeability) of a layered earth for a Schlumberger array, as JSON.
int runForward(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);

// `vesplot invert FILE [--kind dat|ves] [--station INDEX | --all] [--layers K|auto | --smooth]
// [--fix NAME=VALUE,...] [--ideal] [--segments [first|last]] [--mask I,J,...] [--ranges]`: reads FILE as
// `vesplot inspect` does and fits a layered earth to a station (or every station). Exit status 0, 1 for a
// file that cannot be read, holds no station or of which no station could be fitted, 2 for a wrong command
// line.
int runInvert(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);

// The usage text of both commands, with the layer and domain limits they check.
extern const std::string interpretUsage;
