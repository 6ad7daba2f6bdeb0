#ifndef TARWENDLE_TESTS_SUPPORT_TEMPFOLDER_H
#define TARWENDLE_TESTS_SUPPORT_TEMPFOLDER_H

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

/*
 * A fresh folder under /tmp for one test, gone with the files it was asked
 * for once the test ends. A test that cannot have its folder stops there.
 */
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix) {
        std::string pattern = "/tmp/" + prefix + ".XXXXXX";
        if (::mkdtemp(&pattern[0]) == nullptr) {
            throw std::runtime_error("cannot make a folder from " + pattern);
        }
        folder = pattern;
    }
    ~TempFolder() {
        for (const std::string& name : files) {
            std::remove(path(name).c_str());
        }
        ::rmdir(folder.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The path of `name` in the folder, removed at the end.
    std::string file(const std::string& name) {
        files.push_back(name);
        return path(name);
    }
    const std::string& path() const { return folder; }

private:
    std::string path(const std::string& name) const { return folder + "/" + name; }

    std::string folder;
    std::vector<std::string> files;
};

#endif
