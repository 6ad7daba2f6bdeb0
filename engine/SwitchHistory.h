#ifndef TARWENDLE_ENGINE_SWITCHHISTORY_H
#define TARWENDLE_ENGINE_SWITCHHISTORY_H

#include <string>
#include <vector>

#include "cObject.h"
#include "cWlog2.h"

/*
 * The output's switching history, for the operator who asks why the relay
 * switched last night: one INFO line under a category of its own whenever
 * the state the service writes changes, and for the first write after
 * start-up, naming the rules that made it so. Kept at INFO, it needs no
 * restart into DEBUG. A write that repeats the last costs one comparison;
 * the caller formats the causes only when it is news.
 */
class SwitchHistory : public cWlog2 {
public:
    static constexpr const char* CATEGORY = "Output";

    // The rules behind a decision, each "path: words", in the order the
    // decision asks them.
    struct Causes {
        // The rules that made it so; none for an output no rule releases.
        std::vector<std::string> by;
        // Rules that asked for release and were overridden.
        std::vector<std::string> over;
    };

    SwitchHistory();

    // Whether writing `state` is news (the first write, or a state unlike
    // the last one written) that the log would keep. Remembers `state`.
    bool isNews(cObject::eObjectIOState state);
    // "DO1 on device a1: HIGH (released) by cfg.triggers[0]: DI1 on device
    // a1 in alarm"; causes joined by "; ".
    void tell(const std::string& output, cObject::eObjectIOState state, bool released,
              const Causes& causes);

private:
    bool written = false;
    cObject::eObjectIOState last{};
};

#endif
