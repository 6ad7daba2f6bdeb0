#ifndef TARWENDLE_TESTS_CAUGHTSTDOUT_H
#define TARWENDLE_TESTS_CAUGHTSTDOUT_H

#include <gtest/gtest.h>

#include <string>

/*
 * Catches what is written to standard output from construction until
 * text(), or until destruction, which drops it: the catch ends even when
 * what ran meanwhile threw.
 */
class CaughtStdout {
public:
    CaughtStdout() { ::testing::internal::CaptureStdout(); }
    ~CaughtStdout() {
        if (catching) {
            ::testing::internal::GetCapturedStdout();
        }
    }
    CaughtStdout(const CaughtStdout&) = delete;
    CaughtStdout& operator=(const CaughtStdout&) = delete;

    // Ends the catch: what was written since construction.
    std::string text() {
        catching = false;
        return ::testing::internal::GetCapturedStdout();
    }

private:
    bool catching = true;
};

#endif
