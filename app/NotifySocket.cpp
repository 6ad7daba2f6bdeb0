#include "NotifySocket.h"

#include <sys/time.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

std::unique_ptr<NotifySocket> NotifySocket::fromEnvironment() {
    const char* address = std::getenv(ENVIRONMENT);
    if (address == nullptr || *address == '\0') {
        return nullptr;
    }
    return std::make_unique<NotifySocket>(address);
}

NotifySocket::NotifySocket(const std::string& address) {
    // An abstract name keeps its leading NUL, and the length counts only
    // the name's bytes: no terminator.
    if (address.empty() || address.size() > sizeof(peer.sun_path) ||
        (address[0] != '@' && address.size() == sizeof(peer.sun_path))) {
        return;
    }
    peer.sun_family = AF_UNIX;
    std::memcpy(peer.sun_path, address.data(), address.size());
    if (address[0] == '@') {
        peer.sun_path[0] = '\0';
    }
    peerLength = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + address.size());
    fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd >= 0) {
        // A manager that stops reading may hold a message this long, and
        // no longer: the relay's loop must go on.
        const timeval bound{SEND_BOUND_SECONDS, 0};
        (void)::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
    }
}

NotifySocket::~NotifySocket() {
    if (fd >= 0) {
        ::close(fd);
    }
}

void NotifySocket::send(const std::string& message) const {
    if (fd < 0) {
        return;
    }
    (void)::sendto(fd, message.data(), message.size(), MSG_NOSIGNAL,
                   reinterpret_cast<const sockaddr*>(&peer), peerLength);
}
