#include "StartUp.h"

#include <memory>
#include <utility>

#include "Config.h"

StartUp::StartUp(std::string document) : document(std::move(document)) {}

StartUp::Document StartUp::run(std::ostream& probe) {
    underWay = Step::LOADING;
    Config::load(document);
    return take(*Config::_Config, &probe);
}

StartUp::Document StartUp::check() {
    underWay = Step::LOADING;
    return take(Config::read(document));
}

StartUp::Document StartUp::check(std::istream& text) {
    underWay = Step::LOADING;
    return take(Config::read(text));
}

StartUp::Document StartUp::take(std::unique_ptr<Config> store) {
    return take(*store, nullptr);
}

StartUp::Document StartUp::take(Config& store, std::ostream* probe) {
    underWay = Step::READING_SETTING;
    Document taken{store.setting(SETTING, SETTING_DEFAULT), nullptr};
    if (probe != nullptr) {
        *probe << taken.setting << std::endl;
    }
    underWay = Step::BUILDING_ENGINE;
    taken.ioData = store.ioDataSection();
    return taken;
}

std::string StartUp::stepLine() const {
    switch (underWay) {
        case Step::LOADING:
            return "cannot load " + document;
        case Step::READING_SETTING:
            return std::string("cannot read setting \"") + SETTING + "\" of " + document;
        case Step::BUILDING_ENGINE:
            return std::string("cannot build the engine from \"") + Config::IO_DATA + "\" of " +
                   document;
        case Step::STARTING:
            break;
    }
    return "starting";
}
