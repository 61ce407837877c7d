#include "CommandGuard.h"

#include <new>
#include <ostream>

int runGuarded(const char* name, std::ostream& err, const std::function<int()>& body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        err << "vesplot " << name << ": " << outOfMemoryMessage << "\n";
        return 1;
    }
}
