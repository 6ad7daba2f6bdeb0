#include "cObjectList.h"

cObjectList::cObjectList() = default;

cObjectList::~cObjectList() = default;

void cObjectList::add(cObject* object) {
    objects.push_back(object);
}

void cObjectList::adopt(std::unique_ptr<cObject> object) {
    objects.push_back(object.get());
    owned.push_back(std::move(object));
}

cObject* cObjectList::at(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= objects.size()) {
        return nullptr;
    }
    return objects[static_cast<std::size_t>(index)];
}

cObject* cObjectList::first() {
    cursor = 0;
    return cursor < objects.size() ? objects[cursor] : nullptr;
}

cObject* cObjectList::next() {
    if (cursor < objects.size()) {
        ++cursor;
    }
    return cursor < objects.size() ? objects[cursor] : nullptr;
}

void cObjectList::clear() {
    objects.clear();
    owned.clear();
    cursor = 0;
}
