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
    enum eObjectStatus {
        STATUS_CLEARED = 0,      // reset before a request; no report
        STATUS_ALARM_SET = 1,    // the input is in alarm
        STATUS_ALARM_CLEAR = 2,  // the input is not in alarm
    };

    enum eObjectIOState {
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
    // them back. decode raises the JSON library's errors on a bad value.
    virtual void encode(nlohmann::json& out) const;
    virtual void decode(const nlohmann::json& in);

    // A heap copy of the same dynamic type; the caller owns it.
    virtual cObject* clone() const;

protected:
    cObject(const cObject&) = default;
    cObject& operator=(const cObject&) = default;

private:
    int type;
};

#endif
