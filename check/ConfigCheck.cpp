/*
 * The verdict comes from the service's own sequence; everything else here
 * only says where its error came from. An entry that failed is taken apart
 * key by key, each key through the conversion its rule class uses, in the
 * order the class reads them; the first key whose conversion fails with the
 * very text the engine reported is the one named. If none does, the entry
 * is named as a whole.
 */
#include "ConfigCheck.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <regex>
#include <utility>

#include "Config.h"
#include "EntryPath.h"
#include "RuleText.h"
#include "StartUp.h"

namespace {

using nlohmann::json;

constexpr std::size_t SHOWN_VALUE = 60;
constexpr std::size_t SHOWN_ENTRY = 200;
constexpr std::size_t SHOWN_LINE = 120;

std::string shown(const json& value, std::size_t most) {
    std::string text = value.dump();
    if (text.size() > most) {
        text = text.substr(0, most) + "...";
    }
    return text;
}

// One key of an entry and the conversion its rule class applies to it.
struct KeyRule {
    const char* key;
    std::function<void(const json&)> convert;
    const char* meaning;
};

void asText(const json& value) {
    (void)value.get<std::string>();
}

const KeyRule kLabel{"label", [](const json& v) { (void)RuleText::toLabel(v); },
                     "is not a port label"};
const KeyRule kDeviceId{"deviceid", asText, "is not a device id text"};
const KeyRule kValue{"value", [](const json& v) { (void)RuleText::toLevel(v.get<std::string>()); },
                     "is not a number"};
const KeyRule kMustrun{"mustrun", asText, "is not a text"};

void asBound(const json& value) {
    uint32_t hour = 0;
    uint32_t minute = 0;
    bool hasBound = false;
    RuleText::toBound(value, hour, minute, hasBound);
}

const KeyRule kBound[] = {{"from", asBound, "is not a time of day"},
                          {"to", asBound, "is not a time of day"}};

// "path.key: value meaning (library text)" when the key's own conversion
// fails with `what`; "" otherwise.
std::string blame(const std::string& path, const json& entry, const KeyRule& rule,
                  const std::string& what) {
    const json value = EntryPath::member(entry, rule.key);
    try {
        rule.convert(value);
    } catch (const std::exception& failure) {
        if (what == failure.what()) {
            const bool absent = !entry.is_object() || !entry.contains(rule.key);
            return path + "." + rule.key + ": " +
                   (absent ? std::string("is missing")
                           : shown(value, SHOWN_VALUE) + " " + rule.meaning) +
                   " (" + what + ")";
        }
    }
    return "";
}

// The days of a window, element by element, as TimeLimit iterates them.
std::string blameDays(const std::string& path, const json& entry, const std::string& what) {
    const json days = EntryPath::member(entry, "days");
    std::size_t index = 0;
    for (auto it = days.begin(); it != days.end(); ++it, ++index) {
        try {
            (void)RuleText::toDay(*it);
        } catch (const std::exception& failure) {
            if (what != failure.what()) {
                continue;
            }
            return EntryPath::element(path + ".days", days, it, index) + ": " +
                   shown(*it, SHOWN_VALUE) + " is not a day of the week (" + what + ")";
        }
    }
    return "";
}

}  // namespace

ConfigCheck::ConfigCheck(std::string path) : file(std::move(path)) {
    StartUp startUp(file);
    try {
        ioData = startUp.check().ioData;
    } catch (const std::exception& failure) {
        if (startUp.step() == StartUp::Step::LOADING) {
            explainReadError(failure);
            return;
        }
        if (startUp.step() != StartUp::Step::READING_SETTING) {
            throw;
        }
        // Type error 305: "ovt" is not an object; any other: the setting is
        // not a text.
        const auto* typeError = dynamic_cast<const json::type_error*>(&failure);
        errorLines.push_back(typeError != nullptr && typeError->id == 305
                                 ? std::string("ovt: is not an object (") + failure.what() + ")"
                                 : std::string("ovt.") + StartUp::SETTING + ": is not a text (" +
                                       failure.what() + ")");
        return;
    }
    try {
        WendleEngine::BuildListener* listener = this;
        engine = std::make_unique<WendleEngine>(ioData, listener);
    } catch (const std::exception& failure) {
        engine.reset();
        explainBuildError(failure);
    }
}

ConfigCheck::~ConfigCheck() = default;

void ConfigCheck::explainReadError(const std::exception& failure) {
    const std::string what = failure.what();
    const std::string why = Config::unreadable(file);
    if (!why.empty()) {
        errorLines.push_back("cannot be read: " + why + " (" + what + ")");
        return;
    }
    std::smatch at;
    static const std::regex position("at line ([0-9]+), column ([0-9]+)");
    if (dynamic_cast<const json::parse_error*>(&failure) == nullptr ||
        !std::regex_search(what, at, position)) {
        if (dynamic_cast<const json::type_error*>(&failure) != nullptr) {
            errorLines.push_back("the document is not a JSON object (" + what + ")");
        } else {
            errorLines.push_back(what);
        }
        return;
    }
    // No exception here: the numbers come from the library's text.
    const long long line = std::strtoll(at[1].str().c_str(), nullptr, 10);
    const long long column = std::strtoll(at[2].str().c_str(), nullptr, 10);
    errorPosition = at[1].str() + ":" + at[2].str();
    errorLines.push_back(what);
    std::ifstream in(file);
    std::string text;
    for (long long number = 1; number <= line && std::getline(in, text); ++number) {
    }
    if (!text.empty() && text.back() == '\r') {
        text.pop_back();
    }
    // A long line is shown around the column only.
    std::size_t start = 0;
    const auto at0 = static_cast<std::size_t>(column > 1 ? column - 1 : 0);
    if (text.size() > SHOWN_LINE) {
        start = at0 > SHOWN_LINE / 2 ? at0 - SHOWN_LINE / 2 : 0;
        text = text.substr(start, SHOWN_LINE);
    }
    // The caret line keeps the source line's tabs, so it lines up in any
    // terminal.
    std::string caret;
    for (std::size_t i = start; i < at0 && i - start < text.size(); ++i) {
        caret += text[i - start] == '\t' ? '\t' : ' ';
    }
    errorLines.push_back("    " + text);
    errorLines.push_back("    " + caret + "^");
}

void ConfigCheck::explainBuildError(const std::exception& failure) {
    const std::string what = failure.what();
    if (!begun) {
        // Failed before the first entry: the section itself.
        errorLines.push_back("cfg: " + shown(ioData, SHOWN_VALUE) + " is not an object (" + what +
                             ")");
        return;
    }
    if (currentPath.empty()) {
        errorLines.push_back("cfg: " + what);
        return;
    }
    const std::string path = "cfg." + currentPath;
    const json& entry = currentEntry;
    std::string found;
    if (!entry.is_object() && !entry.is_null()) {
        found = path + ": " + shown(entry, SHOWN_VALUE) + " is not an object (" + what + ")";
    } else if (currentPath == "output" || currentPath.rfind("triggers", 0) == 0) {
        std::vector<const KeyRule*> rules{&kLabel, &kDeviceId};
        if (EntryPath::member(entry, "type") == "analog") {
            rules.push_back(&kValue);
        }
        for (const KeyRule* rule : rules) {
            if (found.empty()) {
                found = blame(path, entry, *rule, what);
            }
        }
    } else {
        found = blame(path, entry, kMustrun, what);
        if (found.empty()) {
            found = blameDays(path, entry, what);
        }
        for (const KeyRule& rule : kBound) {
            if (found.empty()) {
                found = blame(path, entry, rule, what);
            }
        }
    }
    errorLines.push_back(found.empty() ? path + ": " + what : found);
    errorLines.push_back("entry: " + shown(entry, SHOWN_ENTRY));
}

void ConfigCheck::building(const std::string& path, const nlohmann::json& entry) {
    begun = true;
    currentPath = path;
    currentEntry = path.empty() ? json(nullptr) : entry;
}

void ConfigCheck::built(const std::string& path, WendleEngine::DigitalTrigger& trigger) {
    builtTriggers.push_back({"cfg." + path, currentEntry, &trigger, nullptr});
}

void ConfigCheck::built(const std::string& path, WendleEngine::AnalogTrigger& trigger) {
    builtTriggers.push_back({"cfg." + path, currentEntry, nullptr, &trigger});
}

void ConfigCheck::built(const std::string& path, const WendleEngine::TimeLimit& limit,
                        bool mustrun) {
    builtWindows.push_back({"cfg." + path, currentEntry, limit, mustrun});
}

void ConfigCheck::skipped(const std::string& path) {
    skippedEntries.push_back({"cfg." + path, currentEntry});
}
