#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "data/ProfileData.h"
#include "model/SoundingData.h"

// `vesplot forward --rho R1,R2,... [--thk H1,...] [--m M1,...] [--ab2 A1,...] [--mn2 B1,...]`: the apparent
// resistivity (and chargeability) of a layered earth for a Schlumberger array, as JSON.
int runForward(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);

// `vesplot invert FILE [--kind dat|ves] [--station INDEX | --all] [--layers K | --smooth] [--fix
// NAME=VALUE,...]
// [--ideal]`: reads FILE as `vesplot inspect` does and fits a layered earth to a station (or every station).
// Exit status 0, 1 for a file that cannot be read or holds no station, 2 for a wrong command line.
int runInvert(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);

extern const char* const interpretUsage;
