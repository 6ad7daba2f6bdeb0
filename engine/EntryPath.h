#ifndef TARWENDLE_ENGINE_ENTRYPATH_H
#define TARWENDLE_ENGINE_ENTRYPATH_H

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>

#include "Config.h"
#include "cPeerText.h"

/*
 * Reading an entry as the engine meets it, for the checker's reports and
 * the service's switching history: where the section lies, a member that
 * may be absent, and where an element sits in a value the engine iterates
 * (an array's element by index, an object's by key, a lone value as the
 * value itself).
 */
class EntryPath {
public:
    // The document's IO-data section, where the engine's paths start.
    static constexpr const char* SECTION = Config::IO_DATA;

    // A path from the document's root: "cfg.triggers[0]".
    static std::string rooted(const std::string& path) { return std::string(SECTION) + "." + path; }

    // The member, or null when it is absent or `entry` is no object.
    static nlohmann::json member(const nlohmann::json& entry, const char* key) {
        return entry.is_object() && entry.contains(key) ? entry.at(key) : nlohmann::json(nullptr);
    }

    static std::string element(const std::string& path, const nlohmann::json& container,
                               const nlohmann::json::const_iterator& element, std::size_t index) {
        if (container.is_array()) {
            return path + "[" + std::to_string(index) + "]";
        }
        if (container.is_object()) {
            // A key is the file's text, and paths go into log lines.
            return path + "." + cPeerText::bounded(element.key());
        }
        return path;
    }
};

#endif
