#include "RunningFailure.h"

#include <cxxabi.h>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <typeinfo>

namespace {

// The type of the exception being handled, demangled if that can be had:
// with memory exhausted it may not, and the mangled name still tells.
void writeCurrentType(std::ostream& out) {
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (type == nullptr) {
        out << "unknown";
        return;
    }
    int status = 0;
    char* readable = abi::__cxa_demangle(type->name(), nullptr, nullptr, &status);
    out << (readable != nullptr ? readable : type->name());
    std::free(readable);
}

}  // namespace

void RunningFailure::install() {
    std::set_terminate(report);
}

// Writes as it goes, building no string: the failure may be that memory
// ran out.
void RunningFailure::report() {
    std::cerr << "tarwendle: failed while running, after start-up had completed: ";
    if (std::exception_ptr failure = std::current_exception()) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& error) {
            std::cerr << error.what();
        } catch (...) {
            std::cerr << "an exception of type ";
            writeCurrentType(std::cerr);
        }
    } else {
        std::cerr << "terminated without an exception";
    }
    std::cerr << "; aborting, to be restarted" << std::endl;
    std::abort();
}
