#ifndef TARWENDLE_CONFIG_CONFIG_H
#define TARWENDLE_CONFIG_CONFIG_H

#include <istream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cWlog2.h"

/*
 * The process-wide store of the configuration document. Loaded once at
 * start-up; keeps the "ovt" settings and the "cfg" IO-data section and
 * hands them out. Errors of the JSON library pass through unchanged.
 */
class Config : public cWlog2 {
public:
    // The deepest nesting a document may have. The JSON library copies and
    // serialises recursively, so a far deeper one could exhaust the stack;
    // no configuration needs more than a handful of levels.
    static constexpr int MAX_NESTING = 256;
    // The document's sections: the settings, and the IO-data the engine is
    // built from.
    static constexpr const char* SETTINGS = "ovt";
    static constexpr const char* IO_DATA = "cfg";

    // Parses a document as the store reads it: strict, no comments, and no
    // deeper than MAX_NESTING (std::out_of_range, met while parsing).
    static nlohmann::json parseDocument(std::istream& in);

    // Builds the store once; later calls do nothing.
    static void load(std::string path);

    // Reads a document exactly as the store does, without making it the
    // store: for start-up, and for a tool that checks configurations.
    static std::unique_ptr<Config> read(std::string path);
    // The same, with the document's text already in hand.
    static std::unique_ptr<Config> read(std::istream& text);

    // Why a file cannot be read at all, such as "it is a folder", or "" when
    // it can.
    static std::string unreadable(const std::string& path);

    // The text setting `key` of the "ovt" section, or `defaultValue` when it
    // is absent or null. A value that is not text is a JSON type error.
    static std::string get(std::string key, std::string defaultValue);

    // An independent copy of the IO-data section.
    static nlohmann::json getIOData();

    static Config* _Config;

    // What get and getIOData answer, for this document.
    std::string setting(const std::string& key, const std::string& defaultValue);
    nlohmann::json ioDataSection() const { return ioData; }

private:
    Config();
    // Fills the sections from the document's text, and logs the IO-data one.
    void take(std::istream& text);

    nlohmann::json ovtSection;
    nlohmann::json ioData;
};

#endif
