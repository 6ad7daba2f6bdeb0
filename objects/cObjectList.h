#ifndef TARWENDLE_OBJECTS_COBJECTLIST_H
#define TARWENDLE_OBJECTS_COBJECTLIST_H

#include <memory>
#include <vector>

#include "cObject.h"

/*
 * An ordered list of objects with a message type, as a request or a reply.
 * A request only lends its objects (add); a reply built from the wire owns
 * them (adopt). The list walks its objects with first/next.
 */
class cObjectList {
public:
    cObjectList();
    ~cObjectList();

    cObjectList(const cObjectList&) = delete;
    cObjectList& operator=(const cObjectList&) = delete;

    void setMsgType(unsigned char type) { msgType = type; }
    unsigned char getMsgType() const { return msgType; }

    // Appends a lent object; the caller keeps it alive while the list lives.
    void add(cObject* object);
    // Appends an object the list then owns.
    void adopt(std::unique_ptr<cObject> object);

    int numObjects() const { return static_cast<int>(objects.size()); }

    // The object at a position, null outside the list; leaves the walk alone.
    cObject* at(int index) const;

    // Walk: first() restarts, next() moves on; both give null past the end.
    cObject* first();
    cObject* next();

    // Empties the list, keeping its storage for the next use.
    void clear();

private:
    unsigned char msgType = 0;
    std::vector<cObject*> objects;
    std::vector<std::unique_ptr<cObject>> owned;
    std::size_t cursor = 0;
};

#endif
