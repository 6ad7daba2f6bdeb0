#ifndef TARWENDLE_ENGINE_PORTINDEX_H
#define TARWENDLE_ENGINE_PORTINDEX_H

#include <cstddef>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

/*
 * Finds the triggers that watch a port, by port label and device serial,
 * without scanning every trigger for every input of a response. Triggers
 * with the same port keep the order in which they were added.
 *
 * The keys view the triggers' own label texts, which never change once a
 * trigger is built; the index lives no longer than the triggers.
 */
template <typename Trigger>
class PortIndex {
public:
    void add(Trigger* trigger) {
        byPort[Key{trigger->getDeviceSerial(), trigger->getPortLabel()}].push_back(trigger);
    }

    // The triggers of that port, in the order they were added.
    const std::vector<Trigger*>& find(unsigned int serial, const char* label) const {
        static const std::vector<Trigger*> none;
        auto found = byPort.find(Key{serial, label});
        return found != byPort.end() ? found->second : none;
    }

private:
    struct Key {
        unsigned int serial;
        std::string_view label;
        bool operator==(const Key& other) const {
            return serial == other.serial && label == other.label;
        }
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const {
            return std::hash<std::string_view>()(key.label) * 31U + key.serial;
        }
    };

    std::unordered_map<Key, std::vector<Trigger*>, KeyHash> byPort;
};

#endif
