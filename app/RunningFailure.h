#ifndef TARWENDLE_APP_RUNNINGFAILURE_H
#define TARWENDLE_APP_RUNNINGFAILURE_H

/*
 * How the service ends once start-up is over. A start-up error is the
 * configuration's, and main reports it with exit status 1, which the unit
 * does not restart. A failure while running (memory exhausted in a poll,
 * say) is not, and a restart is its cure: it must not look like one.
 *
 * Installed as the terminate handler once the engine runs, so an exception
 * that escapes a poll is never caught: the handler names it on standard
 * error, says that the service was running, and aborts. The unit restarts
 * the process after the signal, and a core dump, if one is kept, shows
 * where the exception came from, since nothing unwound the stack.
 */
class RunningFailure {
public:
    static void install();

private:
    [[noreturn]] static void report();
};

#endif
