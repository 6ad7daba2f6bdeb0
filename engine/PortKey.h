#ifndef TARWENDLE_ENGINE_PORTKEY_H
#define TARWENDLE_ENGINE_PORTKEY_H

#include <cstddef>
#include <functional>
#include <string_view>

#include "PortLabel.h"

/*
 * What makes two ports the same port: the device serial and the label as a
 * C text. The key views the label; it lives no longer than the text.
 */
struct PortKey {
    unsigned int serial;
    std::string_view label;

    static PortKey of(cObjectPort& port) { return {port.getDeviceSerial(), PortLabel::of(port)}; }

    bool operator==(const PortKey& other) const {
        return serial == other.serial && label == other.label;
    }

    struct Hash {
        std::size_t operator()(const PortKey& key) const {
            return std::hash<std::string_view>()(key.label) * 31U + key.serial;
        }
    };
};

#endif
