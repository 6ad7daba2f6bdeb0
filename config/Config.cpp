#include "Config.h"

#include <fstream>
#include <memory>

Config* Config::_Config = nullptr;

Config::Config(std::string path) : cWlog2("Config"), ovtSection(nullptr), ioData(nullptr) {
    log << "Starting Config" << std::endl;

    // A file that cannot be opened yields no characters and so fails the
    // parse exactly like an empty one.
    std::ifstream file(path, std::ios::in);
    nlohmann::json document = nlohmann::json::parse(file, nullptr, true, false);

    ovtSection = document["ovt"];
    ioData = document["cfg"];

    log << ioData.dump() << std::endl;
}

void Config::load(std::string path) {
    if (_Config != nullptr) {
        return;
    }
    // The singleton is published only once it is complete.
    std::unique_ptr<Config> store(new Config(std::move(path)));
    _Config = store.release();
}

std::string Config::get(std::string key, std::string defaultValue) {
    const nlohmann::json& value = _Config->ovtSection[key];
    if (value.is_null()) {
        return defaultValue;
    }
    return value.get<std::string>();
}

nlohmann::json Config::getIOData() {
    return _Config->ioData;
}
