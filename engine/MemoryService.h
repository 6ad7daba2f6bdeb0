#ifndef TARWENDLE_ENGINE_MEMORYSERVICE_H
#define TARWENDLE_ENGINE_MEMORYSERVICE_H

#include <memory>
#include <string>
#include <vector>

#include "ObjectService.h"
#include "cObjectList.h"

/*
 * An object service in memory, for the checker's explained moments, the
 * unit tests and the benchmarks: it answers every read with the objects it
 * was given, in that order, and counts reads and writes instead of sending
 * anything anywhere.
 *
 * It uses only what the engine may of the object library, so that the
 * checker built against a controller's own library has it too.
 */
class MemoryService : public ObjectService {
public:
    MemoryService();
    ~MemoryService() override;

    // Answered to every read, after those given before.
    void answer(std::unique_ptr<cObject> object);
    void digitalInput(const char* label, unsigned int serial, cObject::eObjectStatus status);
    void analogInput(const char* label, unsigned int serial, float value);
    void digitalOutput(const char* label, unsigned int serial, unsigned int portId,
                       cObject::eObjectIOState state, cObject::eObjectIOState defaultState);
    // Reads are answered with nothing given so far.
    void forgetAnswers();
    // Whether a read gets a reply at all; a read without one is a failed call.
    void setAnswering(bool answering) { answers = answering; }
    // What every write reports from now on; applied until told otherwise.
    void setWriteOutcome(Write outcome) { writeOutcome = outcome; }

    void start(const char* host, int port) override;
    cObjectList* get(cObjectList* request) override;
    Write set(cObject* object) override;

    int reads() const { return readCount; }
    int writes() const { return writeCount; }

private:
    std::vector<std::unique_ptr<cObject>> objects;
    // Lends the objects above; built anew when they change, since a
    // controller's library cannot empty a list. Null until then.
    std::unique_ptr<cObjectList> reply;
    bool answers = true;
    Write writeOutcome = Write::APPLIED;
    int readCount = 0;
    int writeCount = 0;
};

#endif
