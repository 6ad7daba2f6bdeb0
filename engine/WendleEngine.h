#ifndef TARWENDLE_ENGINE_WENDLEENGINE_H
#define TARWENDLE_ENGINE_WENDLEENGINE_H

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "ObjectService.h"
#include "PortIndex.h"
#include "cObjectAInput.h"
#include "cObjectClient.h"
#include "cObjectDInput.h"
#include "cObjectDOutput.h"
#include "cWlog2.h"

/*
 * The output-control engine: owns the controlled output, the trigger rules
 * and the weekly time windows, and decides on every poll whether the output
 * is released or inhibited.
 *
 * The object library is used only through the operations that every build
 * of it has, a controller's own included: getters that need not be const,
 * codes by value (ObjectCodes.h), a fresh request list for every poll.
 */
class WendleEngine : public cWlog2 {
public:
    // The controlled digital output. Its states and port id are refreshed by
    // every poll; the configuration only names it.
    class OutputPort : public cObjectDOutput {
    public:
        ~OutputPort() override;

        // Takes port label and hexadecimal device id from the "output"
        // object; null leaves the port as it was built.
        void parse(nlohmann::json output);

        // Puts the output at its default state.
        void Inhibit();
        // Puts the output at the opposite of its default state.
        void Release();
    };

    // A rule on a digital input's alarm status.
    class DigitalTrigger : public cObjectDInput {
    public:
        static constexpr int32_t OPERATION_ALARM = 0;
        static constexpr int32_t OPERATION_NOALARM = 1;
        // Held when "operation" names neither condition; never releases.
        static constexpr int32_t OPERATION_NONE = -1;

        explicit DigitalTrigger(nlohmann::json entry);
        ~DigitalTrigger() override;

        bool shouldRelease();

        int32_t operation = OPERATION_NONE;
    };

    // A rule on an analog input's calculated value against a level.
    class AnalogTrigger : public cObjectAInput {
    public:
        static constexpr int32_t OPERATION_GT = 0;
        static constexpr int32_t OPERATION_LT = 1;
        // Held when "operation" names neither condition; never releases.
        static constexpr int32_t OPERATION_NONE = -1;

        explicit AnalogTrigger(nlohmann::json entry);
        ~AnalogTrigger() override;

        bool shouldRelease();

        int32_t operation = OPERATION_NONE;
        float level = 0.0F;
    };

    // One weekly window: a day list (empty means every day) and optional
    // start and stop bounds, both minutes included.
    class TimeLimit {
    public:
        explicit TimeLimit(nlohmann::json entry);

        // Whether the current local time lies inside the window.
        bool isInRange() const;
        // The same test against a given broken-down local time.
        bool isInRange(const std::tm& now) const;

        std::vector<int> days;
        uint32_t startHour = 0;
        uint32_t startMinute = 0;
        bool hasStart = false;
        uint32_t stopHour = 0;
        uint32_t stopMinute = 0;
        bool hasStop = false;
    };

    // Told what the constructor makes of each entry, so that a tool that
    // checks a configuration can say which entry an error came from and
    // what every entry became. Paths are relative to the section:
    // "output", "triggers[2]", "timelimits[0]" (an object's member by its
    // key, a lone value by its section's name).
    class BuildListener {
    public:
        virtual ~BuildListener() = default;
        // About to build `entry`, at `path`; an error from here on is its.
        // The last call, with path "" and the whole section, precedes the
        // check that the poll's request can be sent.
        virtual void building(const std::string& path, const nlohmann::json& entry) = 0;
        virtual void built(const std::string& path, DigitalTrigger& trigger) = 0;
        virtual void built(const std::string& path, AnalogTrigger& trigger) = 0;
        virtual void built(const std::string& path, const TimeLimit& limit, bool mustrun) = 0;
        // A trigger entry of neither type, passed over.
        virtual void skipped(const std::string& path) = 0;
    };

    // Builds the engine from the IO-data section: output port, triggers,
    // time limits, then the client (not yet connected). A listener, if
    // any, is lent for the constructor's duration.
    explicit WendleEngine(nlohmann::json section, BuildListener* listener = nullptr);

    // Builds the one engine and runs it; does nothing if it exists.
    static void start(nlohmann::json section);
    // The first half of start: builds and publishes the one engine unless
    // it exists, and returns it. Lets a caller tell a failure to build from
    // a failure while running.
    static WendleEngine* create(nlohmann::json section);
    static WendleEngine* _WendleEngine;

    // Connects and polls forever.
    void run();
    // One poll: request, response walk, decision, output write.
    void update_ports();
    void update_trigger(cObjectAInput* input);
    void update_trigger(cObjectDInput* input);
    void update_output();

    // The decision of a poll at local time `now`, given whether some
    // trigger asks for release: the windows are asked and logged in order.
    bool decide(bool triggersRelease, const std::tm& now);

    // Adds every port a poll reads to `list`, in the poll's order.
    void listPorts(cObjectList& list);
    OutputPort& getOutput() { return output; }

    // Talks to the object service through another client (of our own
    // library, whose operations tests and benchmarks may override).
    void useClient(std::unique_ptr<cObjectClient> replacement);
    // Talks to something else in the object service's place.
    void useService(std::unique_ptr<ObjectService> replacement);
    // Judges the windows at the instants `clock` gives instead of now.
    void useClock(std::function<std::time_t()> replacement);

private:
    // Throws std::length_error when the poll's request exceeds what the
    // object service can be sent.
    void requireSendableRequest();
    void askWindows(const std::vector<TimeLimit>& limits, const std::tm& now, const char* heading,
                    bool verdict, bool& release);

    std::unique_ptr<ObjectService> client;
    std::function<std::time_t()> clock;
    OutputPort output;
    std::vector<std::unique_ptr<AnalogTrigger>> analog_triggers;
    std::vector<std::unique_ptr<DigitalTrigger>> digital_triggers;
    std::vector<TimeLimit> mustrun_limits;
    std::vector<TimeLimit> exclude_limits;

    // The triggers by the port they watch, so a response is matched
    // without scanning every trigger for every input.
    PortIndex<AnalogTrigger> analog_index;
    PortIndex<DigitalTrigger> digital_index;
    // Whether this poll formats its debug lines at all.
    bool tracing = false;
};

#endif
