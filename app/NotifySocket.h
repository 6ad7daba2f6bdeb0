#ifndef TARWENDLE_APP_NOTIFYSOCKET_H
#define TARWENDLE_APP_NOTIFYSOCKET_H

#include <sys/socket.h>
#include <sys/un.h>

#include <memory>
#include <string>

/*
 * The service manager's notification socket: one datagram per message to
 * the AF_UNIX socket that NOTIFY_SOCKET names, a file system path, or an
 * abstract name when it begins with '@'. Written against the documented
 * protocol with the C library alone, so the firmware profile has it too.
 * Sending never fails the service: a manager that is gone or busy loses the
 * message, and the next one is tried as usual.
 */
class NotifySocket {
public:
    static constexpr const char* ENVIRONMENT = "NOTIFY_SOCKET";
    // How long a send may wait for room in the manager's queue.
    static constexpr long SEND_BOUND_SECONDS = 1;

    // The socket the environment names, or null when it names none (or
    // none that fits an address): then nothing is opened.
    static std::unique_ptr<NotifySocket> fromEnvironment();

    // Opens a datagram socket towards `address`; an address that cannot be
    // one leaves it closed, and every message is dropped.
    explicit NotifySocket(const std::string& address);
    ~NotifySocket();
    NotifySocket(const NotifySocket&) = delete;
    NotifySocket& operator=(const NotifySocket&) = delete;

    // Sends `message` as one datagram; errors are ignored.
    void send(const std::string& message) const;

private:
    int fd = -1;
    sockaddr_un peer{};
    socklen_t peerLength = 0;
};

#endif
