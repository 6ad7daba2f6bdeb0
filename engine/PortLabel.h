#ifndef TARWENDLE_ENGINE_PORTLABEL_H
#define TARWENDLE_ENGINE_PORTLABEL_H

#include "cObjectPort.h"

/*
 * A port's label as the engine, the switching history and the checker use
 * it. A controller's library may give a null pointer for a port never
 * labelled (a document without "output", an answer without a label): that
 * is the empty label, never a text to copy, stream or compare.
 */
class PortLabel {
public:
    static const char* of(cObjectPort& port) {
        const char* label = port.getPortLabel();
        return label != nullptr ? label : "";
    }
};

#endif
