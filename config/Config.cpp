#include "Config.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

#include "DocumentBuilder.h"

Config* Config::_Config = nullptr;

namespace {

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

nlohmann::json Config::parseDocument(std::istream& in) {
    DocumentBuilder builder(MAX_NESTING);
    const bool strict = true;  // nothing but white space after the value
    const bool ignoreComments = false;
    nlohmann::json::sax_parse(in, &builder, nlohmann::json::input_format_t::json, strict,
                              ignoreComments);
    return builder.take();
}

// The start is logged before the document is even opened: a document that
// never comes (a FIFO nobody writes) leaves the store saying what it waits for.
Config::Config() : cWlog2("Config"), ovtSection(nullptr), ioData(nullptr) {
    log << "Starting Config" << std::endl;
}

void Config::take(std::istream& text) {
    nlohmann::json document = parseDocument(text);

    ovtSection = document[SETTINGS];
    ioData = document[IO_DATA];

    log << ioData.dump() << std::endl;
}

void Config::load(std::string path) {
    if (_Config != nullptr) {
        return;
    }
    // The singleton is published only once it is complete.
    _Config = read(std::move(path)).release();
}

std::unique_ptr<Config> Config::read(std::string path) {
    std::unique_ptr<Config> store(new Config());
    // A file that cannot be opened yields no characters and so fails the
    // parse exactly like an empty one. A folder opens, but its first read
    // fails with the stream library's own error: it is not opened at all.
    std::ifstream file;
    if (!isFolder(path)) {
        file.open(path, std::ios::in);
    }
    store->take(file);
    return store;
}

std::unique_ptr<Config> Config::read(std::istream& text) {
    std::unique_ptr<Config> store(new Config());
    store->take(text);
    return store;
}

std::string Config::unreadable(const std::string& path) {
    if (isFolder(path)) {
        return "it is a folder";
    }
    std::FILE* handle = std::fopen(path.c_str(), "r");
    if (handle == nullptr) {
        return std::strerror(errno);
    }
    std::fclose(handle);
    return "";
}

std::string Config::get(std::string key, std::string defaultValue) {
    return _Config->setting(key, defaultValue);
}

std::string Config::setting(const std::string& key, const std::string& defaultValue) {
    const nlohmann::json& value = ovtSection[key];
    if (value.is_null()) {
        return defaultValue;
    }
    return value.get<std::string>();
}

nlohmann::json Config::getIOData() {
    return _Config->ioDataSection();
}
