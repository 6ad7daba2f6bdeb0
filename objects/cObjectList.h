#ifndef TARWENDLE_OBJECTS_COBJECTLIST_H
#define TARWENDLE_OBJECTS_COBJECTLIST_H

#include <array>
#include <cstddef>
#include <deque>
#include <memory>

#include "cObject.h"

/*
 * An ordered list of objects with a message type, as a request or a reply.
 * A request only lends its objects (add); a reply built from the wire owns
 * them (adopt, adoptUnknown). The list walks its objects with first/next;
 * every object it hands out stays as it is until the list is cleared.
 *
 * A reply may hold up to a frame's worth of objects, most of them of types
 * nobody here knows. So storage grows in small blocks, never by copying one
 * large array into a larger one, and an object of unknown type costs little
 * more than its place in the walk.
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
    // Appends an object of a type this library does not know: its code and
    // nothing else. Such objects with the same code may be one object.
    void adoptUnknown(int type);

    int numObjects() const { return static_cast<int>(objects.size()); }

    // The object at a position, null outside the list; leaves the walk alone.
    cObject* at(int index) const;

    // Walk: first() restarts, next() moves on; both give null past the end.
    cObject* first();
    cObject* next();

    // Empties the list. A small list's storage is kept for the next use; a
    // large one's goes back to the allocator.
    void clear();

private:
    // Unknown objects of these many codes seen last are shared; enough for
    // a reply that mixes a few unknown types in any order.
    static constexpr std::size_t SHARED_UNKNOWN = 8;

    unsigned char msgType = 0;
    std::deque<cObject*> objects;
    std::deque<std::unique_ptr<cObject>> owned;
    std::deque<cObject> unknown;
    std::array<cObject*, SHARED_UNKNOWN> recentUnknown{};
    std::size_t nextRecent = 0;  // the slot the next new code replaces
    std::size_t cursor = 0;
};

#endif
