#ifndef TARWENDLE_CONFIG_STARTUP_H
#define TARWENDLE_CONFIG_STARTUP_H

#include <istream>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

class Config;

/*
 * The service's start-up as far as the engine: the document is loaded, its
 * one setting read, and its IO-data section handed over. The service, the
 * checker and the fuzzer all start a document this way, so that none of
 * them judges it by a copy of the sequence.
 *
 * Each step records itself before it runs: when an exception leaves run(),
 * step() is the step that raised it. Building the engine is the caller's
 * (the engine sits above the configuration) and is the last step, under
 * way once run() has returned.
 */
class StartUp {
public:
    // The one "ovt" setting start-up reads, and the service prints.
    static constexpr const char* SETTING = "crap";
    static constexpr const char* SETTING_DEFAULT = "null";

    enum class Step { STARTING, LOADING, READING_SETTING, BUILDING_ENGINE };

    struct Document {
        std::string setting;
        nlohmann::json ioData;
    };

    // `document` is the file the steps load, and what the step line names.
    explicit StartUp(std::string document);

    // The service's start: the document becomes the configuration store,
    // kept for the life of the process, and the setting is written to
    // `probe` as soon as it is read, before the IO-data is taken.
    Document run(std::ostream& probe);
    // A tool's: the same steps on a copy of the store of its own, from the
    // file or from text already in hand.
    Document check();
    Document check(std::istream& text);

    Step step() const { return underWay; }
    // The step under way as the service's error line names it:
    // "cannot load /etc/ovt/tarwendle/tarwendle.json".
    std::string stepLine() const;

private:
    // `probe` is null for a tool, which prints no setting.
    Document take(Config& store, std::ostream* probe);
    Document take(std::unique_ptr<Config> store);

    std::string document;
    Step underWay = Step::STARTING;
};

#endif
