#include "ConfigLint.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>
#include <string>
#include <tuple>

#include <pwd.h>
#include <sys/stat.h>

#include "EntryPath.h"
#include "Paths.h"
#include "PortKey.h"
#include "RuleText.h"
#include "RuleWords.h"
#include "cPeerText.h"

namespace {

using nlohmann::json;

constexpr uint32_t HOURS_PER_DAY = 24;
constexpr uint32_t MINUTES_PER_HOUR = 60;

// What a "mustrun" that means yes might look like when it is not "true".
bool looksLikeTrue(std::string word) {
    word.erase(0, word.find_first_not_of(" \t"));
    word.erase(word.find_last_not_of(" \t") + 1);
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::set<std::string>{"true", "yes", "y", "1", "on", "t"}.count(word) != 0;
}

// "is missing", or what `value` is and that it is neither word.
std::string neither(const json& value, const std::string& a, const std::string& b) {
    return value.is_null() ? "is missing"
                           : value.dump() + " is neither \"" + a + "\" nor \"" + b + "\"";
}

}  // namespace

ConfigLint::ConfigLint(const ConfigCheck& check) {
    readableByService(check.path());
    const json& cfg = check.section();
    section(cfg);
    output(cfg);
    using Kind = ConfigCheck::Kind;
    const std::vector<const ConfigCheck::Record*> triggers =
        check.built({Kind::DIGITAL, Kind::ANALOG});
    for (const ConfigCheck::Record* entry : triggers) {
        trigger(*entry);
    }
    for (const ConfigCheck::Record* entry : check.built({Kind::SKIPPED})) {
        skipped(*entry);
    }
    duplicates(triggers);
    for (const ConfigCheck::Record* entry : check.built({Kind::WINDOW})) {
        window(*entry);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Warning& a, const Warning& b) { return a.path < b.path; });
}

void ConfigLint::warn(const std::string& path, const std::string& text) {
    found.push_back({path, text});
}

// The packaged service does not run as root: a file only root may read
// checks here and fails there. Judged only where the service's user exists.
void ConfigLint::readableByService(const std::string& file) {
    const passwd* user = ::getpwnam(paths::kServiceUser);
    struct stat info {};
    if (user == nullptr || ::stat(file.c_str(), &info) != 0) {
        return;
    }
    const bool readable = (info.st_mode & S_IROTH) != 0 ||
                          (info.st_uid == user->pw_uid && (info.st_mode & S_IRUSR) != 0) ||
                          (info.st_gid == user->pw_gid && (info.st_mode & S_IRGRP) != 0);
    if (!readable) {
        warn("(file)", std::string("user ") + paths::kServiceUser +
                           ", which the service runs as, cannot read it: the service would not "
                           "start from it");
    }
}

void ConfigLint::section(const json& cfg) {
    if (cfg.is_null()) {
        warn(EntryPath::SECTION,
             "is missing: no rule is built, and the output written is port \"\" of "
             "device 0");
        return;
    }
    unknownMembers(EntryPath::SECTION, cfg,
                   {RuleText::OUTPUT, RuleText::TRIGGERS, RuleText::TIMELIMITS});
    if (EntryPath::member(cfg, RuleText::TRIGGERS).is_null() &&
        !EntryPath::member(cfg, RuleText::TIMELIMITS).is_null()) {
        warn(EntryPath::rooted(RuleText::TIMELIMITS),
             "is ignored: windows are read only when \"triggers\" is present and not null "
             "(an empty list will do)");
    }
}

void ConfigLint::output(const json& cfg) {
    const std::string path = EntryPath::rooted(RuleText::OUTPUT);
    const json out = EntryPath::member(cfg, RuleText::OUTPUT);
    if (out.is_null()) {
        if (!cfg.is_null()) {
            warn(path, "is missing: the output written is port \"\" of device 0");
        }
        return;
    }
    unknownMembers(path, out, {}, RuleText::portKeys());
    label(path, out);
    deviceId(path, out);
}

void ConfigLint::unknownMembers(const std::string& path, const json& entry,
                                std::vector<std::string> known, const RuleText::Keys& keys) {
    if (!entry.is_object()) {
        return;
    }
    for (const RuleText::Key& key : keys) {
        known.emplace_back(key.name);
    }
    for (auto it = entry.begin(); it != entry.end(); ++it) {
        if (std::find(known.begin(), known.end(), it.key()) == known.end()) {
            warn(path + "." + it.key(), "is not a setting here: it is ignored");
        }
    }
}

// A label with a character that does not show as itself matches no port as
// a person reads it, and every log line that names it shows it escaped.
void ConfigLint::label(const std::string& entryPath, const json& entry) {
    const json value = EntryPath::member(entry, RuleText::LABEL);
    if (value.is_string() && cPeerText::hidesAnything(value.get_ref<const std::string&>())) {
        warn(entryPath + "." + RuleText::LABEL,
             "holds a control, direction or invisible character: the log shows it as " +
                 cPeerText::bounded(value.get_ref<const std::string&>()));
    }
}

void ConfigLint::deviceId(const std::string& entryPath, const json& entry) {
    const std::string path = entryPath + "." + RuleText::DEVICE_ID;
    const std::string text = EntryPath::member(entry, RuleText::DEVICE_ID).get<std::string>();
    RuleText::Use use;
    const std::string readAs = RuleWords::device(RuleText::toDeviceId(text, &use));
    const std::string quoted = json(text).dump();
    if (use.used == 0) {
        warn(path, quoted + " has no hexadecimal digits: it is read as device " + readAs);
    } else if (use.used < text.size()) {
        warn(path, quoted + " ends in " + json(text.substr(use.used)).dump() +
                       ", which is ignored: it is read as device " + readAs);
    } else if (use.saturated) {
        warn(path, quoted + " does not fit in 32 bits: it is read as device " + readAs);
    } else if (use.wrapped) {
        warn(path, quoted + " is negative: it wraps around 2^32 and is read as device " + readAs);
    }
}

void ConfigLint::trigger(const ConfigCheck::Record& trigger) {
    const json& entry = trigger.entry;
    using Digital = WendleEngine::DigitalTrigger;
    using Analog = WendleEngine::AnalogTrigger;
    const bool digital = trigger.kind == ConfigCheck::Kind::DIGITAL;
    unknownMembers(trigger.path, entry, {RuleText::TYPE, RuleText::OPERATION},
                   digital ? RuleText::portKeys() : RuleText::analogKeys());
    const char* const* words = digital ? Digital::OPERATIONS : Analog::OPERATIONS;
    if (digital ? trigger.digital().operation == Digital::OPERATION_NONE
                : trigger.analog().operation == Analog::OPERATION_NONE) {
        warn(trigger.path + "." + RuleText::OPERATION,
             neither(EntryPath::member(entry, RuleText::OPERATION), words[0], words[1]) +
                 ": the trigger never releases");
    }
    if (!digital) {
        if (std::isnan(trigger.analog().level)) {
            warn(trigger.path + "." + RuleText::VALUE,
                 "is not a number (nan): the trigger never releases");
        }
        const std::string value = EntryPath::member(entry, RuleText::VALUE).get<std::string>();
        RuleText::Use use;
        (void)RuleText::toLevel(value, &use);
        if (use.used < value.size()) {
            warn(trigger.path + "." + RuleText::VALUE,
                 json(value).dump() + " ends in " + json(value.substr(use.used)).dump() +
                     ", which is ignored: the level is " +
                     RuleWords::level(trigger.analog().level));
        }
    }
    label(trigger.path, entry);
    deviceId(trigger.path, entry);
}

void ConfigLint::skipped(const ConfigCheck::Record& entry) {
    const json type = EntryPath::member(entry.entry, RuleText::TYPE);
    warn(entry.path + "." + RuleText::TYPE,
         neither(type, RuleText::DIGITAL, RuleText::ANALOG) + ": the entry is skipped");
}

void ConfigLint::duplicates(const std::vector<const ConfigCheck::Record*>& triggers) {
    for (std::size_t later = 0; later < triggers.size(); ++later) {
        for (std::size_t earlier = 0; earlier < later; ++earlier) {
            const ConfigCheck::Record& a = *triggers[earlier];
            const ConfigCheck::Record& b = *triggers[later];
            const bool same = a.kind == b.kind && PortKey::of(*a.port) == PortKey::of(*b.port) &&
                              (a.kind == ConfigCheck::Kind::DIGITAL
                                   ? a.digital().operation == b.digital().operation
                                   : a.analog().operation == b.analog().operation &&
                                         a.analog().level == b.analog().level);
            if (same) {
                warn(b.path, "is the same trigger as " + a.path);
                break;
            }
        }
    }
}

void ConfigLint::window(const ConfigCheck::Record& window) {
    const json& entry = window.entry;
    unknownMembers(window.path, entry, {}, RuleText::windowKeys());
    const std::string mustrun = EntryPath::member(entry, RuleText::MUSTRUN).get<std::string>();
    if (!window.mustrun && looksLikeTrue(mustrun)) {
        warn(window.path + "." + RuleText::MUSTRUN,
             json(mustrun).dump() + " is not \"true\": this window forces inhibit, not release");
    }

    // Days, as TimeLimit iterated them, element by element.
    const json days = EntryPath::member(entry, RuleText::DAYS);
    std::size_t index = 0;
    for (auto it = days.begin(); it != days.end(); ++it, ++index) {
        const std::string path =
            EntryPath::element(window.path + "." + RuleText::DAYS, days, it, index);
        const int day = window.window->days[index];
        if (day < 0 || day >= WendleEngine::TimeLimit::DAYS_IN_WEEK) {
            warn(path, it->dump() +
                           " is not a day of the week (0 is Sunday, 6 Saturday): it "
                           "never matches");
        } else if (!it->is_number_integer() && !it->is_number_unsigned()) {
            warn(path, it->dump() + " is read as " + std::to_string(day) + " (" +
                           RuleWords::dayName(day) + ")");
        }
    }

    const WendleEngine::TimeLimit& limit = *window.window;
    if (limit.hasStart) {
        bound(window.path, RuleText::FROM, entry, limit.startHour, limit.startMinute);
    }
    if (limit.hasStop) {
        bound(window.path, RuleText::TO, entry, limit.stopHour, limit.stopMinute);
    }
    if (limit.hasStart && limit.hasStop &&
        std::tie(limit.stopHour, limit.stopMinute) < std::tie(limit.startHour, limit.startMinute)) {
        warn(window.path,
             "stops before it starts: it never matches (a window does not wrap "
             "past midnight; split it in two)");
    }
}

void ConfigLint::bound(const std::string& entryPath, const char* key, const json& entry,
                       uint32_t hour, uint32_t minute) {
    const std::string path = entryPath + "." + key;
    const std::string written = EntryPath::member(entry, key).get<std::string>();
    if (written.find(':') == std::string::npos) {
        warn(path, json(written).dump() + " has no colon: it means hour " + std::to_string(hour) +
                       ", minute " + std::to_string(minute));
    }
    if (hour >= HOURS_PER_DAY || minute >= MINUTES_PER_HOUR) {
        warn(path, json(written).dump() + " is read as hour " + std::to_string(hour) + ", minute " +
                       std::to_string(minute) + ", which no clock shows");
    }
}
