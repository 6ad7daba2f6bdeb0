#include "cObjectClient.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#include <jansson.h>

#include "CallRecord.h"
#include "cObjectDOutput.h"
#include "cObjectList.h"
#include "cStateFile.h"

/*
 * This client runs in the caller's process: the "service" is a JSON state
 * file, named by OVTOBJ_STATE and read afresh at every get, and every call
 * is appended to the record named by OVTOBJ_CALLS.
 */
namespace {

const char* const ENV_STATE = "OVTOBJ_STATE";
const int RESULT_OK = 0;
const int RESULT_FAILED = -1;
// How often a blocked get looks whether its state file still blocks it.
const std::chrono::milliseconds BLOCK_RECHECK(20);

// How a requested object is recorded: what names it, and its status.
json_t* requestEntry(cObject& obj) {
    json_t* entry = json_object();
    json_object_set_new(entry, "type", json_integer(obj.getType()));
    if (auto* port = dynamic_cast<cObjectPort*>(&obj)) {
        const char* label = port->getPortLabel();
        json_object_set_new(entry, "label", label != nullptr ? json_string(label) : json_null());
        json_object_set_new(entry, "serial", json_integer(port->getDeviceSerial()));
        json_object_set_new(entry, "status", json_integer(port->getPortStatus()));
    }
    return entry;
}

// Null without a state file to read.
std::unique_ptr<cStateFile> loadState() {
    const char* path = std::getenv(ENV_STATE);
    if (path == nullptr) {
        return nullptr;
    }
    std::unique_ptr<cStateFile> state(new cStateFile(path));
    if (!state->load()) {
        return nullptr;
    }
    return state;
}

/*
 * A controller's library may hang in a read without a bound. While the
 * state file plays the fault "block", get waits; the record says when it
 * began to, so that a test can tell a blocked call from a slow one.
 */
void waitWhileBlocked() {
    bool recorded = false;
    for (;;) {
        std::unique_ptr<cStateFile> state = loadState();
        if (state == nullptr || !state->isBlocking()) {
            return;
        }
        if (!recorded) {
            json_t* line = json_object();
            json_object_set_new(line, "call", json_string("blocked"));
            ovtcalls::append(line);
            recorded = true;
        }
        std::this_thread::sleep_for(BLOCK_RECHECK);
    }
}

}  // namespace

struct cObjectClient::sSession {
    // The last answer: the list lends what `answered` owns.
    std::unique_ptr<cObjectList> answer;
    std::vector<std::unique_ptr<cObject>> answered;

    void dropAnswer() {
        answer.reset();
        answered.clear();
    }

    // The answer to `request`, or null when the service plays a fault or has no state.
    cObjectList* serve(cObjectList& request) {
        std::unique_ptr<cStateFile> state = loadState();
        if (state == nullptr || state->isFaulted()) {
            return nullptr;
        }
        for (cObject* asked = request.first(); asked != nullptr; asked = request.next()) {
            if (std::unique_ptr<cObject> held = state->answer(*asked)) {
                answered.push_back(std::move(held));
            }
        }
        state->copyExtras(answered);
        answer.reset(new cObjectList());
        answer->setMsgType(request.msgType);
        for (const auto& obj : answered) {
            answer->add(obj.get());
        }
        return answer.get();
    }

    cObjectList* get(cObjectList* request) {
        dropAnswer();
        json_t* line = json_object();
        json_object_set_new(line, "call", json_string("get"));
        cObjectList* reply = nullptr;
        if (request == nullptr) {
            json_object_set_new(line, "msgtype", json_null());
            json_object_set_new(line, "request", json_null());
        } else {
            json_object_set_new(line, "msgtype", json_integer(request->msgType));
            json_t* asked = json_array();
            for (cObject* obj = request->first(); obj != nullptr; obj = request->next()) {
                json_array_append_new(asked, requestEntry(*obj));
            }
            json_object_set_new(line, "request", asked);
            waitWhileBlocked();
            reply = serve(*request);
        }
        json_t* given = json_null();
        if (reply != nullptr) {
            given = json_array();
            for (cObject* obj = reply->first(); obj != nullptr; obj = reply->next()) {
                json_array_append_new(given, obj->getJSONObj());
            }
        }
        json_object_set_new(line, "answer", given);
        ovtcalls::append(line);
        return reply;
    }

    // Only a digital output driven high or low, in a state without a fault, is applied.
    static bool apply(cObject& obj) {
        auto* output = dynamic_cast<cObjectDOutput*>(&obj);
        if (output == nullptr) {
            return false;
        }
        const int state = output->getOutputState();
        if (state != cObject::eIOHigh && state != cObject::eIOLow) {
            return false;
        }
        std::unique_ptr<cStateFile> held = loadState();
        return held != nullptr && !held->isFaulted() &&
               held->applyOutput(output->getDeviceSerial(), output->getPortId(), state);
    }

    int set(cObject* obj) {
        json_t* line = json_object();
        json_object_set_new(line, "call", json_string("set"));
        const bool applied = obj != nullptr && apply(*obj);
        if (obj != nullptr) {
            json_object_set_new(line, "type", json_integer(obj->getType()));
        }
        if (auto* port = dynamic_cast<cObjectPort*>(obj)) {
            json_object_set_new(line, "serial", json_integer(port->getDeviceSerial()));
            json_object_set_new(line, "port", json_integer(port->getPortId()));
            json_object_set_new(line, "status", json_integer(port->getPortStatus()));
        }
        if (auto* output = dynamic_cast<cObjectDOutput*>(obj)) {
            json_object_set_new(line, "output", json_integer(output->getOutputState()));
            json_object_set_new(line, "default", json_integer(output->getDefaultState()));
        }
        json_object_set_new(line, "applied", json_boolean(applied));
        ovtcalls::append(line);
        return applied ? RESULT_OK : RESULT_FAILED;
    }
};

cObjectClient::cObjectClient() : session(new (std::nothrow) sSession()) {}

cObjectClient::~cObjectClient() {
    delete session;
}

// There is no connection to open: the address is only recorded.
int cObjectClient::start(const char* host, int port) {
    json_t* line = json_object();
    json_object_set_new(line, "call", json_string("start"));
    json_object_set_new(line, "host", host != nullptr ? json_string(host) : json_null());
    json_object_set_new(line, "port", json_integer(port));
    ovtcalls::append(line);
    return RESULT_OK;
}

cObjectList* cObjectClient::get(cObjectList* request) {
    if (session == nullptr) {
        return nullptr;
    }
    try {
        return session->get(request);
    } catch (...) {
        session->dropAnswer();
        return nullptr;
    }
}

int cObjectClient::set(cObject* obj) {
    if (session == nullptr) {
        return RESULT_FAILED;
    }
    try {
        return session->set(obj);
    } catch (...) {
        return RESULT_FAILED;
    }
}
