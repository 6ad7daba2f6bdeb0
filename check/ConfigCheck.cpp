/*
 * The verdict comes from the service's own sequence; everything else here
 * only says where its error came from. The entry that failed, the last the
 * engine recorded, is taken apart key by key through its rule class's own
 * table of keys; the first key whose conversion fails with the very text
 * the engine reported is the one named. If none does, the entry is named
 * as a whole.
 */
#include "ConfigCheck.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <utility>

#include "Config.h"
#include "ConstructionTrace.h"
#include "EntryPath.h"
#include "RuleText.h"
#include "StartUp.h"
#include "cObjectDInput.h"

namespace {

using nlohmann::json;

constexpr std::size_t SHOWN_VALUE = 60;
constexpr std::size_t SHOWN_ENTRY = 200;
constexpr std::size_t SHOWN_LINE = 120;

std::string shown(const json& value, std::size_t most) {
    const std::string text = value.dump();
    return text.size() > most ? text.substr(0, most) + "..." : text;
}

std::string notObject(const std::string& path, const json& value, const std::string& what) {
    return path + ": " + shown(value, SHOWN_VALUE) + " is not an object (" + what + ")";
}

// The days of a window, element by element, as the limit iterates them.
std::string blameDays(const std::string& path, const RuleText::Key& key, const json& days,
                      const std::string& what) {
    std::size_t index = 0;
    for (auto it = days.begin(); it != days.end(); ++it, ++index) {
        try {
            (void)RuleText::toDay(*it);
        } catch (const std::exception& failure) {
            if (what == failure.what()) {
                return EntryPath::element(path + "." + key.name, days, it, index) + ": " +
                       shown(*it, SHOWN_VALUE) + " " + key.meaning + " (" + what + ")";
            }
        }
    }
    return "";
}

// "path.key: value meaning (library text)" for the first of `keys` whose
// own conversion fails with `what`; "" if none does.
std::string blame(const std::string& path, const json& entry, const RuleText::Keys& keys,
                  const std::string& what) {
    // A blame is not a build: the conversions' traces are not shown.
    const ConstructionTrace dropped(ConstructionTrace::nowhere());
    std::string found;
    for (const RuleText::Key& key : keys) {
        const json value = EntryPath::member(entry, key.name);
        try {
            cObjectDInput port;
            RuleText::Fields unused;
            unused.port = &port;
            key.read(value, unused);
        } catch (const std::exception& failure) {
            if (what != failure.what()) {
                continue;
            }
            if (key.name == std::string(RuleText::DAYS)) {
                found = blameDays(path, key, value, what);
            } else {
                const bool absent = !entry.is_object() || !entry.contains(key.name);
                found = path + "." + key.name + ": " +
                        (absent ? std::string("is missing")
                                : shown(value, SHOWN_VALUE) + " " + key.meaning) +
                        " (" + what + ")";
            }
            break;
        }
    }
    return found;
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
        // Type error 305: the section is not an object; any other: the
        // setting is not a text.
        const auto* typeError = dynamic_cast<const json::type_error*>(&failure);
        const std::string settings = Config::SETTINGS;
        errorLines.push_back(typeError != nullptr && typeError->id == 305
                                 ? settings + ": is not an object (" + failure.what() + ")"
                                 : settings + "." + StartUp::SETTING + ": is not a text (" +
                                       failure.what() + ")");
        return;
    }
    try {
        engine = std::make_unique<WendleEngine>(ioData, &records);
    } catch (const std::exception& failure) {
        explainBuildError(failure);
    }
}

std::vector<const ConfigCheck::Record*> ConfigCheck::built(
    std::initializer_list<Kind> kinds) const {
    std::vector<const Record*> chosen;
    for (const Record& record : records) {
        if (std::find(kinds.begin(), kinds.end(), record.kind) != kinds.end()) {
            chosen.push_back(&record);
        }
    }
    return chosen;
}

void ConfigCheck::explainReadError(const std::exception& failure) {
    const std::string what = failure.what();
    // A FIFO or a device gave its text once: opening it again to explain
    // would wait for a writer that may never come.
    struct stat info {};
    const bool again =
        ::stat(file.c_str(), &info) != 0 || S_ISREG(info.st_mode) || S_ISDIR(info.st_mode);
    const std::string why = again ? Config::unreadable(file) : std::string();
    if (!why.empty()) {
        errorLines.push_back("cannot be read: " + why + " (" + what + ")");
        return;
    }
    std::smatch at;
    static const std::regex position("at line ([0-9]+), column ([0-9]+)");
    if (dynamic_cast<const json::parse_error*>(&failure) == nullptr ||
        !std::regex_search(what, at, position)) {
        const bool typeError = dynamic_cast<const json::type_error*>(&failure) != nullptr;
        errorLines.push_back(typeError ? "the document is not a JSON object (" + what + ")" : what);
        return;
    }
    // No exception here: the numbers come from the library's text.
    const long long line = std::strtoll(at[1].str().c_str(), nullptr, 10);
    const long long column = std::strtoll(at[2].str().c_str(), nullptr, 10);
    errorPosition = at[1].str() + ":" + at[2].str();
    errorLines.push_back(what);
    if (!again) {
        return;
    }
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
    std::string caret = text.substr(0, at0 - start);
    std::replace_if(
        caret.begin(), caret.end(), [](char c) { return c != '\t'; }, ' ');
    errorLines.push_back("    " + text);
    errorLines.push_back("    " + caret + "^");
}

void ConfigCheck::explainBuildError(const std::exception& failure) {
    const std::string what = failure.what();
    if (records.empty()) {
        // Failed before the first entry: the section itself.
        errorLines.push_back(notObject(EntryPath::SECTION, ioData, what));
        return;
    }
    const Record& last = records.back();
    if (last.built) {
        // Every entry was built: the engine as a whole failed.
        errorLines.push_back(std::string(EntryPath::SECTION) + ": " + what);
        return;
    }
    const std::string& path = last.path;
    const json& entry = last.entry;
    const std::string found = !entry.is_object() && !entry.is_null()
                                  ? notObject(path, entry, what)
                                  : blame(path, entry,
                                          last.kind == Kind::WINDOW   ? RuleText::windowKeys()
                                          : last.kind == Kind::ANALOG ? RuleText::analogKeys()
                                                                      : RuleText::portKeys(),
                                          what);
    errorLines.push_back(found.empty() ? path + ": " + what : found);
    errorLines.push_back("entry: " + shown(entry, SHOWN_ENTRY));
}
