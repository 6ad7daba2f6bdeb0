#ifndef TARWENDLE_CHECK_CONFIGCHECK_H
#define TARWENDLE_CHECK_CONFIGCHECK_H

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "Config.h"
#include "WendleEngine.h"

/*
 * Runs a configuration file through the service's own start-up: the store
 * reads it, start-up reads its one setting, and the engine is built from
 * "cfg". Whether the service would start is therefore decided by the
 * service's code, never by a copy of it. What the check adds is where an
 * error lies, and what every entry became.
 */
class ConfigCheck : private WendleEngine::BuildListener {
public:
    // A trigger entry and the rule built from it: exactly one of the two.
    struct Trigger {
        std::string path;  // "cfg.triggers[0]"
        nlohmann::json entry;
        WendleEngine::DigitalTrigger* digital = nullptr;
        WendleEngine::AnalogTrigger* analog = nullptr;
    };
    struct Window {
        std::string path;
        nlohmann::json entry;
        WendleEngine::TimeLimit limit;
        bool mustrun;
    };
    struct Skipped {
        std::string path;
        nlohmann::json entry;
    };

    explicit ConfigCheck(std::string file);
    ~ConfigCheck() override;

    bool starts() const { return engine != nullptr; }
    const std::string& path() const { return file; }
    // Why not: the first line says where and what, any further lines show
    // the source line with a caret, or the entry as the engine read it.
    const std::vector<std::string>& error() const { return errorLines; }
    // "LINE:COLUMN" of a parse error, "" for any other.
    const std::string& position() const { return errorPosition; }

    // What the service would run. Null when it would not start.
    WendleEngine* getEngine() { return engine.get(); }
    // The IO-data section as the engine was given it.
    const nlohmann::json& section() const { return ioData; }
    const std::vector<Trigger>& triggers() const { return builtTriggers; }
    const std::vector<Window>& windows() const { return builtWindows; }
    const std::vector<Skipped>& skipped() const { return skippedEntries; }

private:
    void building(const std::string& path, const nlohmann::json& entry) override;
    void built(const std::string& path, WendleEngine::DigitalTrigger& trigger) override;
    void built(const std::string& path, WendleEngine::AnalogTrigger& trigger) override;
    void built(const std::string& path, const WendleEngine::TimeLimit& limit,
               bool mustrun) override;
    void skipped(const std::string& path) override;

    void explainReadError(const std::exception& failure);
    void explainBuildError(const std::exception& failure);

    std::string file;
    nlohmann::json ioData;
    std::unique_ptr<WendleEngine> engine;
    bool begun = false;       // whether the engine reached its first entry
    std::string currentPath;  // of the entry being built
    nlohmann::json currentEntry;
    std::vector<Trigger> builtTriggers;
    std::vector<Window> builtWindows;
    std::vector<Skipped> skippedEntries;
    std::vector<std::string> errorLines;
    std::string errorPosition;
};

#endif
