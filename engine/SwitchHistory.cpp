#include "SwitchHistory.h"

#include <algorithm>
#include <utility>

#include "LocalTime.h"
#include "ObjectCodes.h"
#include "RuleWords.h"

namespace {

std::string joined(const std::vector<std::string>& causes) {
    std::string text;
    for (const std::string& cause : causes) {
        text += (text.empty() ? "" : "; ") + cause;
    }
    return text;
}

bool isState(cObject::eObjectIOState state) {
    return state == object_codes::kHigh || state == object_codes::kLow;
}

}  // namespace

SwitchHistory::SwitchHistory() : cWlog2(CATEGORY) {}

void SwitchHistory::useListener(std::function<void(const std::string&)> replacement) {
    listener = std::move(replacement);
}

void SwitchHistory::observed(cObjectPort& port, cObject::eObjectIOState state, Seen seen) {
    if (!isState(state)) {
        return;
    }
    const Target target{port.getDeviceSerial(), port.getPortId()};
    Port* followed = seen == Seen::OTHER ? find(target) : &follow(target);
    if (followed == nullptr) {
        return;
    }
    if (seen == Seen::OUTPUT && followed->words.empty()) {
        followed->words = RuleWords::port(port);
    }
    std::optional<Pending> pending = std::move(followed->pending);
    followed->pending.reset();
    if (pending && pending->state == state) {
        // Our write took, a poll or more ago.
        if (isNews(*followed, state) && !pending->sentence.empty()) {
            tell(pending->sentence + "; sent at " + LocalTime::clock(pending->sent));
        }
        firstWriteTold = true;
    } else if (!followed->words.empty() && followed->known && *followed->known != state) {
        // Moved by someone else, or our write did not take.
        tell(outside(followed->words, state));
    }
    followed->known = state;
}

bool SwitchHistory::wants(Target target, cObject::eObjectIOState state,
                          ObjectService::Write outcome) const {
    if (outcome == ObjectService::Write::REFUSED || !keeps()) {
        return false;
    }
    const Port* port = find(target);
    if (port == nullptr) {
        return true;
    }
    // A write that would change nothing is told by no confirmation either:
    // an answer that moves the port first also drops the write.
    if (!isNews(*port, state)) {
        return false;
    }
    // A write already waiting keeps the sentence of the poll that sent it.
    return outcome == ObjectService::Write::APPLIED ||
           !(port->pending && port->pending->state == state);
}

void SwitchHistory::wrote(Target target, cObject::eObjectIOState state,
                          ObjectService::Write outcome, std::string sentence, std::time_t sent) {
    switch (outcome) {
        case ObjectService::Write::REFUSED:
            break;
        case ObjectService::Write::APPLIED: {
            Port& port = follow(target);
            port.pending.reset();
            if (isNews(port, state) && !sentence.empty()) {
                tell(sentence);
            }
            firstWriteTold = true;
            port.known = state;
            break;
        }
        case ObjectService::Write::UNACKNOWLEDGED:
        case ObjectService::Write::UNCONFIRMED: {
            Port& port = follow(target);
            if (!port.pending || port.pending->state != state) {
                port.pending = Pending{state, std::move(sentence), sent};
            }
            break;
        }
    }
}

bool SwitchHistory::isNews(const Port& port, cObject::eObjectIOState state) const {
    return !firstWriteTold || !port.known || *port.known != state;
}

bool SwitchHistory::keeps() const {
    return listener || log.isEnabled();
}

SwitchHistory::Port* SwitchHistory::find(Target target) {
    auto it = std::find_if(ports.begin(), ports.end(),
                           [&](const Port& port) { return port.target == target; });
    return it != ports.end() ? &*it : nullptr;
}

const SwitchHistory::Port* SwitchHistory::find(Target target) const {
    return const_cast<SwitchHistory*>(this)->find(target);
}

SwitchHistory::Port& SwitchHistory::follow(Target target) {
    if (Port* port = find(target)) {
        return *port;
    }
    if (ports.size() >= PORTS_FOLLOWED) {
        // The oldest port that is not the configured output is forgotten.
        auto oldest = std::find_if(ports.begin(), ports.end(),
                                   [](const Port& port) { return port.words.empty(); });
        ports.erase(oldest != ports.end() ? oldest : ports.begin());
    }
    ports.push_back(Port{target, std::string(), std::nullopt, std::nullopt});
    return ports.back();
}

void SwitchHistory::tell(const std::string& line) {
    log << line << std::endl;
    if (listener) {
        listener(line);
    }
}

std::string SwitchHistory::sentence(const std::string& port, cObject::eObjectIOState state,
                                    bool released, const Causes& causes) {
    std::string text =
        port + ": " + RuleWords::ioState(state) + (released ? " (released)" : " (inhibited)");
    if (causes.by.empty()) {
        text += ": no rule asks for release";
    } else {
        text += " by " + joined(causes.by);
    }
    if (!causes.over.empty()) {
        text += "; over " + joined(causes.over);
    }
    return text;
}

std::string SwitchHistory::outside(const std::string& port, cObject::eObjectIOState state) {
    return port + ": " + RuleWords::ioState(state) + " (changed outside tarwendle)";
}
