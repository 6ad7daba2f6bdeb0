/*
 * One run: read the options, check the file as the service would start
 * from it, then show what was asked for. The rule classes' construction
 * traces are kept aside for the whole run, so the report stays clean, and
 * shown on request (--trace).
 */
#include "CheckCommand.h"

#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "ClientService.h"
#include "ConfigCheck.h"
#include "ConfigLint.h"
#include "ConfigWatch.h"
#include "ConstructionTrace.h"
#include "EngineSettings.h"
#include "EntryPath.h"
#include "MomentExplainer.h"
#include "ObjectCodes.h"
#include "Paths.h"
#include "RuleWords.h"
#include "ServiceProbe.h"
#include "WeekChart.h"
#include "WeekPlan.h"
#include "WeekSvg.h"

namespace {

const char* const kUsage =
    "usage: tarwendle-check [options] [FILE]\n"
    "Checks a configuration as the service would start from it (FILE, by default\n"
    "the service's own), and shows its rules and its week.\n"
    "  --strict              a warning fails the check too\n"
    "  --svg PICTURE         writes the week as an SVG picture\n"
    "  --at \"YYYY-MM-DD HH:MM\"\n"
    "                        explains the decision at that local time\n"
    "  --input LABEL@DEVICE=alarm|clear|missing|NUMBER\n"
    "                        an input's reading for --at (repeatable)\n"
    "  --default high|low    the output's resting state for --at (low)\n"
    "  --probe               reads every configured port once from the object service\n"
    "  --trace               shows the rule classes' construction traces\n"
    "  --watch               decides on the object service's live readings at every\n"
    "                        poll, never writing, and shows each change until\n"
    "                        Ctrl-C; then a summary\n"
    "  --every SECONDS       a watch's poll period (22, at least 1)\n"
    "  --polls N             ends a watch after N polls\n"
    "Exit status: 0 the service would start, 1 it would not, 2 a usage error.\n";

struct Options {
    std::string file = paths::kConfigDocument;
    bool strict = false;
    bool probe = false;
    bool trace = false;
    bool watch = false;
    unsigned int every = engine_settings::kTicksBetweenPolls * engine_settings::kTickSeconds;
    unsigned long polls = 0;
    std::string svg;
    bool explain = false;
    std::time_t at = 0;
    std::vector<MomentExplainer::Input> inputs;
    cObject::eObjectIOState resting = object_codes::kLow;
};

const std::map<std::string, bool Options::*> kSwitches{{"--strict", &Options::strict},
                                                       {"--probe", &Options::probe},
                                                       {"--trace", &Options::trace},
                                                       {"--watch", &Options::watch}};
const std::set<std::string> kValued{"--svg", "--at", "--input", "--default", "--every", "--polls"};

// A whole number from 1 to `most`, or false.
bool count(const std::string& text, unsigned long most, unsigned long& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 10) {
        return false;
    }
    value = std::stoul(text);
    return value >= 1 && value <= most;
}

// False, with why, on a usage error; `help` when help was asked for.
bool parse(const std::vector<std::string>& arguments, Options& options, bool& help,
           std::string& why) {
    bool haveFile = false;
    bool haveExplainOption = false;
    bool haveWatchOption = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        std::string text;
        if (kValued.count(word) != 0) {
            if (i + 1 >= arguments.size()) {
                why = word + " needs a value";
                return false;
            }
            text = arguments[++i];
        }
        if (word == "-h" || word == "--help") {
            help = true;
            return true;
        } else if (kSwitches.count(word) != 0) {
            options.*kSwitches.at(word) = true;
        } else if (word == "--svg") {
            options.svg = text;
        } else if (word == "--at") {
            if (!MomentExplainer::parseMoment(text, options.at, why)) {
                return false;
            }
            options.explain = true;
        } else if (word == "--input") {
            MomentExplainer::Input input;
            if (!MomentExplainer::parseInput(text, input, why)) {
                return false;
            }
            options.inputs.push_back(input);
            haveExplainOption = true;
        } else if (word == "--default") {
            if (text != "high" && text != "low") {
                why = "--default must be high or low, not \"" + text + "\"";
                return false;
            }
            options.resting = text == "high" ? object_codes::kHigh : object_codes::kLow;
            haveExplainOption = true;
        } else if (word == "--every" || word == "--polls") {
            // A day in seconds bounds the period: a longer one is a typo.
            unsigned long value = 0;
            if (!count(text, word == "--every" ? 86400UL : 4000000000UL, value)) {
                why = word +
                      (word == "--every" ? " wants seconds from 1 to 86400, not \""
                                         : " wants a number of polls from 1, not \"") +
                      text + "\"";
                return false;
            }
            if (word == "--every") {
                options.every = static_cast<unsigned int>(value);
            } else {
                options.polls = value;
            }
            haveWatchOption = true;
        } else if (word.size() > 1 && word[0] == '-') {
            why = "unknown option " + word;
            return false;
        } else if (haveFile) {
            why = "one file at a time";
            return false;
        } else {
            options.file = word;
            haveFile = true;
        }
    }
    if (haveExplainOption && !options.explain) {
        why = "--input and --default explain a moment: they need --at";
        return false;
    }
    if (haveWatchOption && !options.watch) {
        why = "--every and --polls pace a watch: they need --watch";
        return false;
    }
    if (options.watch && (options.explain || options.probe || !options.svg.empty())) {
        why = "--watch runs alone: not with --at, --probe or --svg";
        return false;
    }
    return true;
}

void describeRules(ConfigCheck& check, std::ostream& out) {
    out << "Rules:\n"
        << "  " << EntryPath::rooted(RuleText::OUTPUT) << ": drives "
        << RuleWords::port(check.getEngine()->getOutput()) << "\n";
    using Kind = ConfigCheck::Kind;
    for (const ConfigCheck::Record* entry :
         check.built({Kind::DIGITAL, Kind::ANALOG, Kind::WINDOW})) {
        out << "  " << entry->path << ": " << entry->words() << "\n";
    }
    if (check.built({Kind::DIGITAL, Kind::ANALOG}).empty()) {
        out << "  no trigger: the output is released only by must-run windows\n";
    }
}

}  // namespace

int CheckCommand::run(const std::vector<std::string>& arguments, std::ostream& out,
                      std::ostream& err, int terminalColumns) {
    Options options;
    bool help = false;
    std::string why;
    if (!parse(arguments, options, help, why)) {
        err << "tarwendle-check: " << why << "\n(tarwendle-check --help tells the options)\n";
        return USAGE;
    }
    if (help) {
        out << kUsage;
        return STARTS;
    }

    std::ostringstream traces;
    const ConstructionTrace caught(traces);
    ConfigCheck check(options.file);
    if (!check.starts()) {
        const std::vector<std::string>& error = check.reasons();
        err << options.file << (check.position().empty() ? "" : ":" + check.position())
            << ": error: " << error.front() << "\n";
        for (std::size_t line = 1; line < error.size(); ++line) {
            err << "  " << error[line] << "\n";
        }
        out << options.file << ": the service would not start\n";
        if (options.trace) {
            out << "Construction traces:\n" << traces.str();
        }
        return FAILS;
    }

    const ConfigLint lint(check);
    for (const ConfigLint::Warning& warning : lint.warnings()) {
        err << options.file << ": warning: " << warning.path << ": " << warning.text << "\n";
    }
    const bool warned = !lint.warnings().empty();
    out << options.file << ": the service would start";
    if (warned) {
        out << ", with " << lint.warnings().size()
            << (lint.warnings().size() == 1 ? " warning" : " warnings");
    }
    out << "\n";
    describeRules(check, out);

    int status = (options.strict && warned) ? FAILS : STARTS;
    if (options.watch) {
        if (status == FAILS) {
            out << "--strict: the warnings fail the check\n";
            return FAILS;
        }
        ConfigWatch(check, std::make_unique<ClientService>(), out)
            .run(options.every, options.polls);
        return STARTS;
    }
    // Every minute of the week decided: only when it is shown.
    const auto plan = !options.svg.empty() || !options.explain
                          ? std::make_unique<WeekPlan>(*check.getEngine())
                          : nullptr;
    if (!options.svg.empty()) {
        std::ofstream picture(options.svg);
        WeekSvg::write(*plan, options.file, picture);
        picture.close();
        if (!picture) {
            err << "tarwendle-check: cannot write " << options.svg << "\n";
            status = FAILS;
        }
    }
    if (options.probe && !ServiceProbe::probe(check, engine_settings::kServiceHost,
                                              engine_settings::kServicePort, out)) {
        status = FAILS;
    }
    // Last: the explained poll uses the engine up.
    if (options.explain) {
        MomentExplainer::explain(check, options.at, options.inputs, options.resting, out);
    } else {
        WeekChart::write(*plan, terminalColumns >= WeekChart::FINE_WIDTH ? 15 : 30, out);
    }
    if (options.trace) {
        out << "Construction traces:\n" << traces.str();
    }
    if (options.strict && warned) {
        out << "--strict: the warnings fail the check\n";
    }
    return status;
}
