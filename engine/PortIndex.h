#ifndef TARWENDLE_ENGINE_PORTINDEX_H
#define TARWENDLE_ENGINE_PORTINDEX_H

#include <algorithm>
#include <cstddef>
#include <unordered_map>
#include <vector>

#include "PortKey.h"

/*
 * Finds the triggers that watch a port, by its PortKey,
 * without scanning every trigger for every input of a response. Triggers
 * with the same port keep the order in which they were added.
 *
 * The service answers in request order, which is the order the triggers
 * were added, so the port expected next is tried before the hash table: a
 * large response is then walked in memory order instead of hopping through
 * the table. A port left out of the response only costs the table lookups
 * until the walk is back in step.
 *
 * The keys view the triggers' own label texts, which never change once a
 * trigger is built; the index lives no longer than the triggers.
 */
template <typename Trigger>
class PortIndex {
public:
    PortIndex() = default;
    // The walk points into the table.
    PortIndex(const PortIndex&) = delete;
    PortIndex& operator=(const PortIndex&) = delete;

    void add(Trigger* trigger) {
        const PortKey key = PortKey::of(*trigger);
        Port& port = byPort[key];
        port.triggers.push_back(trigger);
        port.positions.push_back(inOrder.size());
        inOrder.push_back({key, &port});
    }

    // A new response starts: the first trigger added is expected first.
    void rewind() { cursor = 0; }

    // The triggers of that port, in the order they were added.
    const std::vector<Trigger*>& find(unsigned int serial, const char* label) {
        const PortKey key{serial, label};
        if (cursor < inOrder.size() && inOrder[cursor].key == key) {
            return inOrder[cursor++].port->triggers;
        }
        static const std::vector<Trigger*> none;
        auto found = byPort.find(key);
        if (found == byPort.end()) {
            return none;
        }
        // Back in step after the first position of this port not yet passed.
        const std::vector<std::size_t>& positions = found->second.positions;
        auto next = std::lower_bound(positions.begin(), positions.end(), cursor);
        if (next != positions.end()) {
            cursor = *next + 1;
        }
        return found->second.triggers;
    }

private:
    struct Port {
        std::vector<Trigger*> triggers;
        std::vector<std::size_t> positions;  // in the order of adding
    };
    struct Expected {
        PortKey key;
        const Port* port;  // table entries never move
    };

    std::unordered_map<PortKey, Port, PortKey::Hash> byPort;
    std::vector<Expected> inOrder;
    std::size_t cursor = 0;
};

#endif
