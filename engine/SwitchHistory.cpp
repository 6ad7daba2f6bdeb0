#include "SwitchHistory.h"

#include <utility>

#include "RuleWords.h"

namespace {

std::string joined(const std::vector<std::string>& causes) {
    std::string text;
    for (const std::string& cause : causes) {
        text += (text.empty() ? "" : "; ") + cause;
    }
    return text;
}

}  // namespace

SwitchHistory::SwitchHistory() : cWlog2(CATEGORY) {}

bool SwitchHistory::wants(cObject::eObjectIOState state, ObjectService::Write outcome) const {
    if (outcome == ObjectService::Write::REFUSED || !isNews(state) || !log.isEnabled()) {
        return false;
    }
    // A write already waiting keeps the sentence of the poll that sent it.
    return !(outcome == ObjectService::Write::UNCONFIRMED && pending && pending->state == state);
}

void SwitchHistory::wrote(cObject::eObjectIOState state, ObjectService::Write outcome,
                          std::string sentence) {
    switch (outcome) {
        case ObjectService::Write::REFUSED:
            break;
        case ObjectService::Write::APPLIED:
            pending.reset();
            if (isNews(state)) {
                tell(state, sentence);
            }
            break;
        case ObjectService::Write::UNCONFIRMED:
            byAnswers = true;
            if (!isNews(state)) {
                pending.reset();
            } else if (!pending || pending->state != state) {
                pending = Pending{state, std::move(sentence)};
            }
            break;
    }
}

void SwitchHistory::observed(cObject::eObjectIOState state) {
    if (!byAnswers) {
        return;
    }
    if (pending && pending->state == state) {
        tell(state, pending->sentence);
    } else if (told) {
        // Moved by something else, or our write did not take: follow the
        // output, so that a write that puts it back is news.
        told = state;
    }
    pending.reset();
}

void SwitchHistory::tell(cObject::eObjectIOState state, const std::string& sentence) {
    told = state;
    // Empty when the log does not keep the history.
    if (!sentence.empty()) {
        log << sentence << std::endl;
    }
}

std::string SwitchHistory::sentence(const std::string& output, cObject::eObjectIOState state,
                                    bool released, const Causes& causes) {
    std::string text =
        output + ": " + RuleWords::ioState(state) + (released ? " (released)" : " (inhibited)");
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
