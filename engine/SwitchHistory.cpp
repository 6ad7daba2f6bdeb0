#include "SwitchHistory.h"

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

bool SwitchHistory::isNews(cObject::eObjectIOState state) {
    const bool news = !written || state != last;
    written = true;
    last = state;
    return news && log.isEnabled();
}

void SwitchHistory::tell(const std::string& output, cObject::eObjectIOState state, bool released,
                         const Causes& causes) {
    log << output << ": " << RuleWords::ioState(state)
        << (released ? " (released)" : " (inhibited)");
    if (causes.by.empty()) {
        log << ": no rule asks for release";
    } else {
        log << " by " << joined(causes.by);
    }
    if (!causes.over.empty()) {
        log << "; over " << joined(causes.over);
    }
    log << std::endl;
}
