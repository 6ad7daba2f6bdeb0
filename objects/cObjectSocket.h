#ifndef TARWENDLE_OBJECTS_COBJECTSOCKET_H
#define TARWENDLE_OBJECTS_COBJECTSOCKET_H

#include <sys/socket.h>

#include <cstddef>
#include <string>

#include "cKernelClock.h"

/*
 * A non-blocking TCP stream socket whose every wait is bounded by a
 * deadline on the kernel's clock, so that faked time cannot shorten it.
 * Writes never raise SIGPIPE. Closed on destruction.
 */
class cObjectSocket {
public:
    using Clock = cKernelClock;

    cObjectSocket();
    // Takes a non-blocking descriptor that a listening socket accepted.
    explicit cObjectSocket(int accepted);
    ~cObjectSocket();

    cObjectSocket(const cObjectSocket&) = delete;
    cObjectSocket& operator=(const cObjectSocket&) = delete;

    // Turns a numeric IPv4 or IPv6 address, or "localhost", and a port into
    // a socket address. Names are not looked up: a resolver call could not
    // be bounded in time.
    static bool resolve(const std::string& host, int port, sockaddr_storage& address,
                        socklen_t& length);

    bool isOpen() const { return fd >= 0; }
    void close();
    // For a caller's own poll of many sockets; -1 when closed.
    int descriptor() const { return fd; }

    // Opens a connection, waiting until the deadline at most.
    bool connect(const std::string& host, int port, Clock::time_point deadline,
                 std::string* reason = nullptr);

    enum class eIdle {
        READY,    // open, and nothing waits on it
        GONE,     // closed, or closed or reset by the peer: connect anew
        UNASKED,  // bytes wait that no request asked for
    };

    // What the connection holds when no request is outstanding.
    eIdle idleState() const;

    enum class eTransfer {
        DONE,     // every byte moved
        BLOCKED,  // the kernel takes or holds no more for now
        FAILED,   // an error, or the end of the stream
    };

    // Moves bytes from data + done on, as many as the kernel takes or holds
    // now, without waiting; `done` counts them in.
    eTransfer sendSome(const char* data, std::size_t size, std::size_t& done,
                       std::string* reason = nullptr);
    eTransfer receiveSome(char* data, std::size_t size, std::size_t& done,
                          std::string* reason = nullptr);

    // Sends every byte, or fails at the deadline.
    bool sendAll(const char* data, std::size_t size, Clock::time_point deadline,
                 std::string* reason = nullptr);

    // Receives exactly `size` bytes, or fails at the deadline or end of stream.
    bool receiveAll(char* data, std::size_t size, Clock::time_point deadline,
                    std::string* reason = nullptr);

private:
    bool isConnectedToItself() const;

    // Repeats a transfer step, waiting for the events while it is blocked.
    template <typename Step>
    bool untilDone(short events, Clock::time_point deadline, std::string* reason, Step step);

    // Waits for the events until the deadline; false on timeout or error.
    bool waitFor(short events, Clock::time_point deadline, std::string* reason);

    int fd = -1;
};

#endif
