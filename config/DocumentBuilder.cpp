#include "DocumentBuilder.h"

#include <stdexcept>
#include <utility>

DocumentBuilder::DocumentBuilder(int maxNesting) : maxNesting(maxNesting) {}

bool DocumentBuilder::key(std::string& name) {
    // A name that occurs again is the same member: the later value wins.
    member = &(*openContainers.back())[std::move(name)];
    return true;
}

DocumentBuilder::json* DocumentBuilder::place(json value) {
    if (openContainers.empty()) {
        document = std::move(value);
        return &document;
    }
    json& container = *openContainers.back();
    if (container.is_array()) {
        container.push_back(std::move(value));
        return &container.back();
    }
    *member = std::move(value);
    return member;
}

bool DocumentBuilder::open(json::value_t kind) {
    if (openContainers.size() >= static_cast<std::size_t>(maxNesting)) {
        throw std::out_of_range("configuration nested deeper than " + std::to_string(maxNesting) +
                                " levels");
    }
    // An element pushed later may move the open array's elements, but never
    // while one of them is open: the pointers stay valid.
    openContainers.push_back(place(json(kind)));
    return true;
}

bool DocumentBuilder::close() {
    openContainers.pop_back();
    return true;
}
