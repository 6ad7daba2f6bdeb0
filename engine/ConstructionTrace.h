#ifndef TARWENDLE_ENGINE_CONSTRUCTIONTRACE_H
#define TARWENDLE_ENGINE_CONSTRUCTIONTRACE_H

#include <iostream>

/*
 * Where the rule classes trace their construction ("Day 1", "Start: ...",
 * "Level set to ..."): std::cout itself by default, so that the traces keep
 * their place among the service's other lines there. While one of these
 * lives they go to its stream instead; the one before is restored when it
 * ends, however its scope is left.
 */
class ConstructionTrace {
public:
    explicit ConstructionTrace(std::ostream& sink) : previous(current) { current = &sink; }
    ~ConstructionTrace() { current = previous; }
    ConstructionTrace(const ConstructionTrace&) = delete;
    ConstructionTrace& operator=(const ConstructionTrace&) = delete;

    // Where a trace is written now.
    static std::ostream& out() { return *current; }
    // A stream without a buffer: whatever it is given is dropped.
    static std::ostream& nowhere() {
        static std::ostream dropped(nullptr);
        return dropped;
    }

private:
    inline static std::ostream* current = &std::cout;
    std::ostream* previous;
};

#endif
