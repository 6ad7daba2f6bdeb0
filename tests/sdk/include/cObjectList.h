#ifndef OVTOBJ_COBJECTLIST_H
#define OVTOBJ_COBJECTLIST_H

class cObject;

/*
 * The objects of one message, in the order they were added. The list lends
 * them: it never frees an object. Walk it with first() and next().
 */
class cObjectList {
public:
    cObjectList();
    ~cObjectList();

    void setMsgType(unsigned char type);
    void add(cObject* obj);
    int numObjects();
    cObject* first();
    cObject* next();

private:
    friend class cObjectClient;

    struct sNode;

    cObjectList(const cObjectList&) = delete;
    cObjectList& operator=(const cObjectList&) = delete;

    unsigned char msgType;
    int count;
    sNode* head;
    sNode* tail;
    sNode* cursor;
};

#endif
