#include "cObjectList.h"

#include <new>

struct cObjectList::sNode {
    cObject* obj;
    sNode* next;
};

cObjectList::cObjectList() : msgType(0), count(0), head(nullptr), tail(nullptr), cursor(nullptr) {}

cObjectList::~cObjectList() {
    while (head != nullptr) {
        sNode* node = head;
        head = node->next;
        delete node;
    }
}

void cObjectList::setMsgType(unsigned char type) {
    msgType = type;
}

// A null object would end every walk early; it is not taken.
void cObjectList::add(cObject* obj) {
    if (obj == nullptr) {
        return;
    }
    sNode* node = new (std::nothrow) sNode{obj, nullptr};
    if (node == nullptr) {
        return;
    }
    if (tail == nullptr) {
        head = node;
    } else {
        tail->next = node;
    }
    tail = node;
    ++count;
}

int cObjectList::numObjects() {
    return count;
}

cObject* cObjectList::first() {
    cursor = head;
    return cursor != nullptr ? cursor->obj : nullptr;
}

cObject* cObjectList::next() {
    if (cursor != nullptr) {
        cursor = cursor->next;
    }
    return cursor != nullptr ? cursor->obj : nullptr;
}
