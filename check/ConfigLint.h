#ifndef TARWENDLE_CHECK_CONFIGLINT_H
#define TARWENDLE_CHECK_CONFIGLINT_H

#include <string>
#include <vector>

#include "ConfigCheck.h"
#include "RuleText.h"

/*
 * What loads but likely does not do what its author meant. Each finding
 * names the entry or key it is about and says what the service makes of
 * it; none changes the verdict unless asked to (--strict).
 */
class ConfigLint {
public:
    struct Warning {
        std::string path;
        std::string text;
    };

    // Looks at a configuration that would start.
    explicit ConfigLint(const ConfigCheck& check);

    const std::vector<Warning>& warnings() const { return found; }

private:
    void readableByService(const std::string& file);
    void section(const nlohmann::json& cfg);
    void output(const nlohmann::json& cfg);
    void trigger(const ConfigCheck::Record& trigger);
    void skipped(const ConfigCheck::Record& entry);
    void window(const ConfigCheck::Record& window);
    // The entry's bound `key`, read as `hour` and `minute`.
    void bound(const std::string& entryPath, const char* key, const nlohmann::json& entry,
               uint32_t hour, uint32_t minute);
    // The entry's label, as log lines will show it.
    void label(const std::string& entryPath, const nlohmann::json& entry);
    // The entry's device id.
    void deviceId(const std::string& entryPath, const nlohmann::json& entry);
    void duplicates(const std::vector<const ConfigCheck::Record*>& triggers);
    // Members neither in `known` nor read by `keys`.
    void unknownMembers(const std::string& path, const nlohmann::json& entry,
                        std::vector<std::string> known, const RuleText::Keys& keys = {});
    void warn(const std::string& path, const std::string& text);

    std::vector<Warning> found;
};

#endif
