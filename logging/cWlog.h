#ifndef TARWENDLE_LOGGING_CWLOG_H
#define TARWENDLE_LOGGING_CWLOG_H

/*
 * Process-wide set-up of logging, called once before any component logger
 * exists.
 */
class cWlog {
public:
    /*
     * Configures log4cpp from a properties file. A missing or invalid file
     * must not keep the service from running: logging then falls back to
     * standard error at INFO, and one line on standard error says why.
     * A log file the configuration names but that cannot be opened is named
     * on standard error too, and its events go there instead; the
     * appenders that work stay. Returns whether the file was used.
     * Standard input, output or error closed at the call is first opened
     * on /dev/null, so that no log file ever takes its descriptor.
     */
    static bool init(const char* path);

private:
    // The fallback: INFO and above to standard error.
    static void initConsole();
};

#endif
