#include "CommandGuard.h"

#include <ostream>

int reportOutOfMemory(const char* name, std::ostream& err) noexcept {
    try {
        err << "vesplot " << name << ": " << outOfMemoryMessage << "\n";
    } catch (...) { // the stream itself could not take it: the status still tells
    }
    return 1;
}
