#ifndef OVTOBJ_COBJECT_H
#define OVTOBJ_COBJECT_H

#include <vector>

typedef struct json_t json_t;

class cWmsgObj;  // a message of the messaging library
class cOvtTag;   // a tag of the dictionary library

/*
 * Base of every object the object service exchanges. The type code tells
 * the class apart; codes this library does not know travel as a bare
 * cObject that carries its code alone.
 */
class cObject {
public:
    enum eObjectStatus : int { eStatNone = 0, eStatAlarm = 1, eStatNormal = 2 };
    enum eObjectIOState : int { eIONone = 0, eIOHigh = 1, eIOLow = 2 };

    virtual ~cObject();

    // Appends the object's dictionary tags; returns how many were added.
    virtual int getTags(std::vector<cOvtTag*>& tags);
    // A new jansson object of the object's fields; the caller owns the reference.
    virtual json_t* getJSONObj();
    // Fills the object from a message of the messaging library; 0 on success.
    virtual int parse(cWmsgObj* msg, std::vector<cOvtTag*>& tags);
    // Fills the object from its JSON form; 0 on success.
    virtual int parse(json_t* obj);
    // Below, equal to or above zero as this object sorts before, with or after `other`.
    virtual int compIndex(cObject* other);
    virtual bool operator<(cObject& other);
    // Writes the object's key ("type/serial/port") into `buf`; returns its length.
    virtual int printKey(char* buf, unsigned int size);
    // A copy on the heap; the caller owns it.
    virtual cObject* clone();

    int getType();

protected:
    explicit cObject(int type);

private:
    int objType;
};

#endif
