#ifndef TARWENDLE_TESTS_ENGINE_ERRORTEXT_H
#define TARWENDLE_TESTS_ENGINE_ERRORTEXT_H

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

// Runs `action` and names what it raised, so that error tables compare the
// kind and the message at once: the JSON library's message as it is, a
// standard conversion error as "invalid_argument: stoi" and the like, and
// "" when nothing was raised.
template <typename Action>
std::string errorText(Action action) {
    try {
        action();
    } catch (const nlohmann::json::exception& e) {
        return e.what();
    } catch (const std::invalid_argument& e) {
        return std::string("invalid_argument: ") + e.what();
    } catch (const std::out_of_range& e) {
        return std::string("out_of_range: ") + e.what();
    }
    return "";
}

#endif
