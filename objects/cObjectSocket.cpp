#include "cObjectSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

void setReason(std::string* reason, const std::string& text) {
    if (reason != nullptr) {
        *reason = text;
    }
}

void setErrno(std::string* reason, const char* what, int error) {
    setReason(reason, std::string(what) + ": " + std::strerror(error));
}

int remainingMs(cObjectSocket::Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
        deadline - cObjectSocket::Clock::now());
    // Round a part of a millisecond up, so a wait never ends early.
    return left.count() <= 0 ? 0 : static_cast<int>((left.count() + 999) / 1000);
}

// Requests are small and answered one at a time; do not let Nagle delay them.
void sendAtOnce(int fd) {
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

}  // namespace

cObjectSocket::cObjectSocket() = default;

cObjectSocket::cObjectSocket(int accepted) : fd(accepted) {
    sendAtOnce(fd);
}

cObjectSocket::~cObjectSocket() {
    close();
}

bool cObjectSocket::resolve(const std::string& host, int port, sockaddr_storage& address,
                            socklen_t& length) {
    if (port < 0 || port > 65535) {
        return false;
    }
    std::memset(&address, 0, sizeof address);
    const std::string numeric = host == "localhost" ? "127.0.0.1" : host;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    if (inet_pton(AF_INET, numeric.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<uint16_t>(port));
        length = sizeof(sockaddr_in);
        return true;
    }
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    if (inet_pton(AF_INET6, numeric.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<uint16_t>(port));
        length = sizeof(sockaddr_in6);
        return true;
    }
    return false;
}

void cObjectSocket::close() {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

bool cObjectSocket::connect(const std::string& host, int port, Clock::time_point deadline,
                            std::string* reason) {
    close();
    sockaddr_storage address{};
    socklen_t length = 0;
    if (!resolve(host, port, address, length)) {
        setReason(reason, "not a numeric address: " + host + ":" + std::to_string(port));
        return false;
    }
    fd = ::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        setErrno(reason, "socket", errno);
        return false;
    }
    sendAtOnce(fd);

    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        if (errno != EINPROGRESS) {
            setErrno(reason, "connect", errno);
            close();
            return false;
        }
        if (!waitFor(POLLOUT, deadline, reason)) {
            close();
            return false;
        }
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
            setErrno(reason, "connect", error != 0 ? error : errno);
            close();
            return false;
        }
    }
    if (isConnectedToItself()) {
        // With no service listening, a local port chosen from the ephemeral
        // range can equal the service's: the kernel then joins the socket to
        // itself, it reads back its own requests, and it holds the port the
        // service needs. Drop it at once, without a TIME_WAIT on that port.
        const linger abort{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        setReason(reason, "connected to itself: no service listens on " + host + ":" +
                              std::to_string(port));
        close();
        return false;
    }
    return true;
}

bool cObjectSocket::isConnectedToItself() const {
    sockaddr_storage local{};
    sockaddr_storage peer{};
    socklen_t localLength = sizeof local;
    socklen_t peerLength = sizeof peer;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength) != 0 ||
        ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0) {
        return false;  // not connected after all; the next call says so
    }
    return localLength == peerLength && std::memcmp(&local, &peer, localLength) == 0;
}

cObjectSocket::eIdle cObjectSocket::idleState() const {
    if (fd < 0) {
        return eIdle::GONE;
    }
    pollfd entry{fd, POLLIN, 0};
    if (Clock::poll(&entry, 1, 0) < 0 || (entry.revents & (POLLERR | POLLNVAL)) != 0) {
        return eIdle::GONE;
    }
    if ((entry.revents & POLLIN) == 0) {
        return (entry.revents & POLLHUP) != 0 ? eIdle::GONE : eIdle::READY;
    }
    // Readable: the end of the stream when the service went away, or bytes
    // it sent unasked, which no answer to the next request may be taken from.
    char byte = 0;
    const ssize_t n = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) {
        return eIdle::UNASKED;
    }
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) ? eIdle::READY : eIdle::GONE;
}

cObjectSocket::eTransfer cObjectSocket::sendSome(const char* data, std::size_t size,
                                                 std::size_t& done, std::string* reason) {
    while (done < size) {
        const ssize_t n = ::send(fd, data + done, size - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return eTransfer::BLOCKED;
        }
        setErrno(reason, "send", errno);
        return eTransfer::FAILED;
    }
    return eTransfer::DONE;
}

cObjectSocket::eTransfer cObjectSocket::receiveSome(char* data, std::size_t size, std::size_t& done,
                                                    std::string* reason) {
    while (done < size) {
        const ssize_t n = ::recv(fd, data + done, size - done, 0);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0) {
            setReason(reason, "connection closed by the service");
            return eTransfer::FAILED;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return eTransfer::BLOCKED;
        }
        setErrno(reason, "recv", errno);
        return eTransfer::FAILED;
    }
    return eTransfer::DONE;
}

template <typename Step>
bool cObjectSocket::untilDone(short events, Clock::time_point deadline, std::string* reason,
                              Step step) {
    for (;;) {
        const eTransfer result = step();
        if (result != eTransfer::BLOCKED) {
            return result == eTransfer::DONE;
        }
        if (!waitFor(events, deadline, reason)) {
            return false;
        }
    }
}

bool cObjectSocket::sendAll(const char* data, std::size_t size, Clock::time_point deadline,
                            std::string* reason) {
    std::size_t sent = 0;
    return untilDone(POLLOUT, deadline, reason, [&] { return sendSome(data, size, sent, reason); });
}

bool cObjectSocket::receiveAll(char* data, std::size_t size, Clock::time_point deadline,
                               std::string* reason) {
    std::size_t received = 0;
    return untilDone(POLLIN, deadline, reason,
                     [&] { return receiveSome(data, size, received, reason); });
}

bool cObjectSocket::waitFor(short events, Clock::time_point deadline, std::string* reason) {
    for (;;) {
        const int timeout = remainingMs(deadline);
        if (timeout == 0) {
            setReason(reason, "timed out");
            return false;
        }
        pollfd entry{fd, events, 0};
        const int ready = Clock::poll(&entry, 1, timeout);
        if (ready > 0) {
            // Errors and hang-ups are reported by the call that follows.
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            setErrno(reason, "poll", errno);
            return false;
        }
    }
}
