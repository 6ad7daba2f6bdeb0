// The configuration document as start-up reads it, through the setting
// and the engine's construction. Only the errors a bad document is
// meant to raise may leave; anything else, a crash or a leak is a finding.
//
// An input that begins with NESTING_RECIPE is not a document but a recipe
// for one nested far deeper than inputs of the fuzzer's length could be:
// byte 1 picks where the nesting goes, bytes 2 and 3 how deep, in steps of
// 8 levels (up to half a million).
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>

#include <log4cpp/Category.hh>
#include <nlohmann/json.hpp>

#include "ConstructionTrace.h"
#include "StartUp.h"
#include "WendleEngine.h"

namespace {

const std::uint8_t NESTING_RECIPE = 0x01;

std::string nestedDocument(const std::uint8_t* data, std::size_t size) {
    const std::size_t levels = size < 4 ? 1 : ((std::size_t{data[2]} << 8) | data[3]) * 8;
    const std::string nest = std::string(levels, '[') + std::string(levels, ']');
    switch (size < 2 ? 0 : data[1] % 4) {
        case 0:
            return R"({"cfg":)" + nest + "}";
        case 1:
            return R"({"ovt":{"x":)" + nest + "}}";
        case 2:
            return R"({"cfg":{"output":{"label":"DO1","deviceid":"a1"},"triggers":[)"
                   R"({"type":"digital","label":"DI1","deviceid":"a1","x":)" +
                   nest + "}]}}";
        default:
            return R"({"ignored":)" + nest + "}";
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Construction traces and logs: neither is under test.
    static const ConstructionTrace dropped(ConstructionTrace::nowhere());
    log4cpp::Category::getRoot().setPriority(log4cpp::Priority::ERROR);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        std::istringstream text(size > 0 && data[0] == NESTING_RECIPE
                                    ? nestedDocument(data, size)
                                    : std::string(reinterpret_cast<const char*>(data), size));
        StartUp startUp("the input");
        WendleEngine engine(startUp.check(text).ioData);
    } catch (const nlohmann::json::exception&) {
    } catch (const std::invalid_argument&) {
    } catch (const std::out_of_range&) {
    } catch (const std::length_error&) {  // a request over the frame bound
    }
    return 0;
}
