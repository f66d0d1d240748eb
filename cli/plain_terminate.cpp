// The handler std::terminate calls in the statically linked Windows
// programs, in place of the C++ library's own. The library's handler names
// the type of the exception nobody caught, and for that links the C++
// demangler (46 KB) into each program; this one tells the exception's own
// words, as the library's does, and ends the program as it does (abort).
// Defined in an object of each program rather than in a library, it is
// found before the library's, which is then never linked.
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    // A handler that fails comes back here: the second time, no words.
    static bool told = false;
    if (!told) {
        told = true;
        if (const std::exception_ptr thrown = std::current_exception()) {
            try {
                std::rethrow_exception(thrown);
            } catch (const std::exception& failure) {
                std::fprintf(stderr, "VeldrinIns: an unexpected error ended the program: %s\n", failure.what());
            } catch (...) {
                std::fputs("VeldrinIns: an unexpected error ended the program\n", stderr);
            }
        } else {
            std::fputs("VeldrinIns: the program ended unexpectedly\n", stderr);
        }
    }
    std::abort();
}

}  // namespace __gnu_cxx
