// What every host shares of the path services: the scope of kept listings.
#include "platform/path.h"

#include "platform/native_file.h"

namespace platform {

namespace {
// Per thread: each thread keeps listings of its own.
thread_local unsigned t_scopeDepth = 0;
thread_local unsigned t_generation = 0;
thread_local unsigned t_lastGeneration = 0;
}  // namespace

ListingScope::ListingScope() {
    if (t_scopeDepth++ == 0) {
        if (++t_lastGeneration == 0) ++t_lastGeneration;  // 0 stands for no scope
        t_generation = t_lastGeneration;
    }
}

ListingScope::~ListingScope() {
    if (--t_scopeDepth != 0) return;
    t_generation = 0;
    native::EndListingScope();
}

unsigned ListingGeneration() { return t_generation; }

}  // namespace platform
