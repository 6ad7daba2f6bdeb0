#ifndef TARWENDLE_CHECK_SERVICEPROBE_H
#define TARWENDLE_CHECK_SERVICEPROBE_H

#include <ostream>

#include "ConfigCheck.h"
#include "cObjectList.h"

/*
 * One read from the object service of every port the configuration names,
 * with the service's own client and the poll's own request: never a
 * write. Tells which ports the service does not answer (a wrong label or
 * device id) and what the others read now.
 */
class ServiceProbe {
public:
    // How a port the answer leaves out is named.
    static constexpr const char* NOT_ANSWERED =
        "not answered: no such port (check label and device id)";

    // The answer for a port of that type, serial and label; null if none.
    static cObject* answerFor(cObjectList& response, int type, cObjectPort& port);
    // False when the service cannot be read or leaves a port unanswered.
    static bool probe(ConfigCheck& check, const char* host, int port, std::ostream& out);
};

#endif
