# Initial cache of the builds that are only tested, never shipped
# (scripts/test, scripts/test-armhf, scripts/test-sdk): cmake -C this file.
# Optimised as the default build, with line tables only: full debug
# information costs a third of the compile time, and what a test, valgrind
# or a debugger's backtrace reports needs no more than function, file and
# line.
set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O2 -g1 -DNDEBUG" CACHE STRING "")
