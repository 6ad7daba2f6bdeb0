#ifndef TARWENDLE_TESTS_APP_NOTIFYLISTENER_H
#define TARWENDLE_TESTS_APP_NOTIFYLISTENER_H

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

/*
 * The manager's end of the notify socket: a datagram socket bound to a path
 * or, for a name that begins with '@', an abstract name. A datagram sent to
 * it is queued before sendto returns, so a test reads what was sent without
 * waiting.
 */
class NotifyListener {
public:
    explicit NotifyListener(const std::string& address) {
        sockaddr_un name{};
        name.sun_family = AF_UNIX;
        std::memcpy(name.sun_path, address.data(), address.size());
        if (address[0] == '@') {
            name.sun_path[0] = '\0';
        }
        fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) +
                                                   address.size() + (address[0] == '@' ? 0 : 1));
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&name), length) != 0) {
            throw std::runtime_error("cannot listen at " + address);
        }
    }
    ~NotifyListener() { ::close(fd); }
    NotifyListener(const NotifyListener&) = delete;
    NotifyListener& operator=(const NotifyListener&) = delete;

    // Every datagram queued since the last call, oldest first.
    std::vector<std::string> received() {
        std::vector<std::string> messages;
        char buffer[8192];
        for (;;) {
            const ssize_t size = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (size < 0) {
                return messages;
            }
            messages.emplace_back(buffer, static_cast<std::size_t>(size));
        }
    }

private:
    int fd = -1;
};

#endif
