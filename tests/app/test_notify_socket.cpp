// The notify protocol against a real datagram socket.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "NotifyListener.h"
#include "NotifySocket.h"
#include "TempFolder.h"

namespace {

using Messages = std::vector<std::string>;

TEST(NotifySocketTest, SendsOneDatagramPerMessageToAPathOrAnAbstractName) {
    TempFolder folder("notify");
    const std::string abstract = "@tarwendle-test-" + std::to_string(::getpid());
    for (const std::string& address : {folder.file("notify"), abstract}) {
        NotifyListener listener(address);
        NotifySocket socket(address);
        socket.send("READY=1");
        socket.send("STATUS=DO1 on device a1: LOW (inhibited)");
        EXPECT_EQ(listener.received(),
                  (Messages{"READY=1", "STATUS=DO1 on device a1: LOW (inhibited)"}))
            << address;
    }
}

TEST(NotifySocketTest, AnUnusableAddressOrAGoneManagerCostsNothing) {
    TempFolder folder("notify");
    const std::string tooLong(sizeof(sockaddr_un::sun_path), 'x');
    for (const std::string& address : {folder.file("nobody"), tooLong, std::string("@")}) {
        NotifySocket socket(address);
        socket.send("WATCHDOG=1");  // neither throws nor signals
    }
}

TEST(NotifySocketTest, OnlyTheEnvironmentsSocketIsOpened) {
    TempFolder folder("notify");
    const std::string path = folder.file("notify");
    NotifyListener listener(path);

    ::unsetenv(NotifySocket::ENVIRONMENT);
    EXPECT_EQ(NotifySocket::fromEnvironment(), nullptr);
    ::setenv(NotifySocket::ENVIRONMENT, "", 1);
    EXPECT_EQ(NotifySocket::fromEnvironment(), nullptr);

    ::setenv(NotifySocket::ENVIRONMENT, path.c_str(), 1);
    auto socket = NotifySocket::fromEnvironment();
    ::unsetenv(NotifySocket::ENVIRONMENT);
    ASSERT_NE(socket, nullptr);
    socket->send("READY=1");
    EXPECT_EQ(listener.received(), Messages{"READY=1"});
}

}  // namespace
