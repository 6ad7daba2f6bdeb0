// The configuration document as start-up reads it, through the probe
// setting and the engine's construction. Only the errors a bad document is
// meant to raise may leave; anything else, a crash or a leak is a finding.
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <stdexcept>
#include <string>

#include <log4cpp/Category.hh>
#include <nlohmann/json.hpp>

#include "WendleEngine.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Rule construction traces to standard output and logs; neither is under test.
    std::cout.setstate(std::ios::badbit);
    log4cpp::Category::getRoot().setPriority(log4cpp::Priority::ERROR);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        // As the configuration store reads it: strict, no comments.
        nlohmann::json document = nlohmann::json::parse(data, data + size, nullptr, true, false);
        nlohmann::json ovt = document["ovt"];
        const nlohmann::json cfg = document["cfg"];
        if (!ovt["crap"].is_null()) {
            (void)ovt["crap"].get<std::string>();
        }
        WendleEngine engine(cfg);
    } catch (const nlohmann::json::exception&) {
    } catch (const std::invalid_argument&) {
    } catch (const std::out_of_range&) {
    }
    return 0;
}
