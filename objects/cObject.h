#ifndef TARWENDLE_OBJECTS_COBJECT_H
#define TARWENDLE_OBJECTS_COBJECT_H

#include <nlohmann/json_fwd.hpp>

/*
 * One object of the object service. The type code tells a receiver which
 * class it is; an object of a type this library does not know keeps its
 * code and nothing else, so that a reader can report and skip it.
 */
class cObject {
public:
    // A fixed base type makes every int a valid value, so a code from
    // elsewhere can be cast in and compared without undefined behaviour.
    enum eObjectStatus : int {
        STATUS_CLEARED = 0,      // reset before a request; no report
        STATUS_ALARM_SET = 1,    // the input is in alarm
        STATUS_ALARM_CLEAR = 2,  // the input is not in alarm
    };

    enum eObjectIOState : int {
        IOSTATE_NONE = 0,  // neither; what `set` sends as default state
        IOSTATE_HIGH = 1,
        IOSTATE_LOW = 2,
    };

    // Type codes of getType().
    static constexpr int TYPE_DIGITAL_INPUT = 2;
    static constexpr int TYPE_DIGITAL_OUTPUT = 3;
    static constexpr int TYPE_ANALOG_INPUT = 4;

    explicit cObject(int type);
    virtual ~cObject();

    int getType() const { return type; }

    // Wire form: writes this object's fields into a JSON object, and reads
    // them back. decode raises the JSON library's errors on a missing member
    // or a label that is no text, std::out_of_range on a number that cannot
    // be held (no integer, or out of its field's range); the object may then
    // be partly overwritten. It takes texts out of `in` instead of copying
    // them: a label may fill most of a frame.
    virtual void encode(nlohmann::json& out) const;
    virtual void decode(nlohmann::json& in);

    // The part of the wire form that names the object: what a read request
    // carries of it, never a reading.
    virtual void encodeName(nlohmann::json& out) const;
    virtual void decodeName(nlohmann::json& in);

    // A heap copy of the same dynamic type; the caller owns it.
    virtual cObject* clone() const;

protected:
    cObject(const cObject&) = default;
    cObject& operator=(const cObject&) = default;

    // Readers for decode: an integer member within 0..UINT_MAX, and a code
    // that an int holds. Which codes mean something is for the rules to say,
    // so an unnamed one is passed on, not refused.
    static unsigned int readUnsigned(const nlohmann::json& in, const char* key);
    static int readCode(const nlohmann::json& in, const char* key);

private:
    int type;
};

#endif
