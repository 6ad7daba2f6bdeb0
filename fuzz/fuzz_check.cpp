// tarwendle-check on any document: the verdict, the error's location, the
// warnings, the rules in words and one explained moment. Whatever the
// document, the tool answers with a status; a crash, a leak or an escaped
// exception is a finding.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <log4cpp/Category.hh>

#include "CheckCommand.h"

namespace {

std::string documentPath;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    log4cpp::Category::getRoot().setPriority(log4cpp::Priority::ERROR);
    char pattern[] = "/tmp/fuzz-check.XXXXXX";
    const int fd = ::mkstemp(pattern);
    if (fd < 0) {
        std::perror("mkstemp");
        std::abort();
    }
    ::close(fd);
    documentPath = pattern;
    std::atexit([] { std::remove(documentPath.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream document(documentPath, std::ios::binary | std::ios::trunc);
        document.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::ostringstream out;
    std::ostringstream err;
    const int status = CheckCommand::run({documentPath, "--at", "2026-12-07 07:45", "--input",
                                          "DI1@a1=alarm", "--input", "AI1@a1=30"},
                                         out, err);
    if (status != CheckCommand::STARTS && status != CheckCommand::FAILS) {
        std::abort();
    }
    return 0;
}
