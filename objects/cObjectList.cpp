#include "cObjectList.h"

#include <algorithm>

cObjectList::cObjectList() = default;

cObjectList::~cObjectList() = default;

void cObjectList::add(cObject* object) {
    objects.push_back(object);
}

void cObjectList::adopt(std::unique_ptr<cObject> object) {
    objects.push_back(object.get());
    owned.push_back(std::move(object));
}

void cObjectList::adoptUnknown(int type) {
    // Such an object has nothing but its code, and no one can change it: one
    // stands for all of its code as well as many would.
    const auto shared =
        std::find_if(recentUnknown.begin(), recentUnknown.end(),
                     [type](const cObject* o) { return o != nullptr && o->getType() == type; });
    if (shared != recentUnknown.end()) {
        objects.push_back(*shared);
        return;
    }
    cObject* const fresh = &unknown.emplace_back(type);
    objects.push_back(fresh);  // if this throws, `fresh` is merely unused until clear
    recentUnknown[nextRecent] = fresh;
    nextRecent = (nextRecent + 1) % SHARED_UNKNOWN;
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
    // A deque's clear gives its blocks back but for one or two it keeps,
    // which a small list then reuses.
    objects.clear();
    owned.clear();
    unknown.clear();
    recentUnknown.fill(nullptr);
    nextRecent = 0;
    cursor = 0;
}
