#ifndef TARWENDLE_CHECK_CONFIGCHECK_H
#define TARWENDLE_CHECK_CONFIGCHECK_H

#include <initializer_list>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "WendleEngine.h"

/*
 * Runs a configuration file through the service's own start-up: the store
 * reads it, start-up reads its one setting, and the engine is built from
 * "cfg". Whether the service would start is therefore decided by the
 * service's code, never by a copy of it. What the check adds is where an
 * error lies, and what every entry became.
 */
class ConfigCheck {
public:
    using Record = WendleEngine::BuildRecord;
    using Kind = Record::Kind;

    explicit ConfigCheck(std::string file);

    bool starts() const { return engine != nullptr; }
    const std::string& path() const { return file; }
    // Why not: the first line says where and what, any further lines show
    // the source line with a caret, or the entry as the engine read it.
    const std::vector<std::string>& reasons() const { return errorLines; }
    // "LINE:COLUMN" of a parse error, "" for any other.
    const std::string& position() const { return errorPosition; }

    // What the service would run. Null when it would not start.
    WendleEngine* getEngine() { return engine.get(); }
    // The IO-data section as the engine was given it.
    const nlohmann::json& section() const { return ioData; }
    // What the entries of the kinds given became, in the order the engine
    // built them; paths from the document's root ("cfg.triggers[0]").
    std::vector<const Record*> built(std::initializer_list<Kind> kinds) const;

private:
    void explainReadError(const std::exception& failure);
    void explainBuildError(const std::exception& failure);

    std::string file;
    nlohmann::json ioData;
    std::unique_ptr<WendleEngine> engine;
    std::vector<Record> records;
    std::vector<std::string> errorLines;
    std::string errorPosition;
};

#endif
