#ifndef TARWENDLE_SIM_OBJECTSIMULATOR_H
#define TARWENDLE_SIM_OBJECTSIMULATOR_H

#include <sys/stat.h>

#include <fstream>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "SimulatorState.h"
#include "cObjectFrame.h"
#include "cObjectSocket.h"

/*
 * A stand-in for the controller's object service: answers reads and writes
 * of port objects from a state that a person or a test edits as a file.
 * One thread, one poll loop, any number of connections. One line per
 * request goes to `out`; problems with the state file, and why a
 * connection was closed, to `err`.
 */
class ObjectSimulator {
public:
    struct Options {
        std::string host = "127.0.0.1";
        int port = 60000;         // 0 picks a free port; see getPort
        std::string stateFile;    // none: an empty state without faults
        std::string journalFile;  // none: no journal
    };

    ObjectSimulator(Options options, std::ostream& out, std::ostream& err);
    ~ObjectSimulator();

    ObjectSimulator(const ObjectSimulator&) = delete;
    ObjectSimulator& operator=(const ObjectSimulator&) = delete;

    // Listens, opens the journal and loads the state file. False with the
    // reason when it cannot listen or open the journal; a state file that is
    // missing or invalid is only reported.
    bool open(std::string& why);

    // The port actually listened on.
    int getPort() const;

    // Serves until requestStop, then closes every connection and the
    // listening socket.
    void run();

    // Ends run soon. Safe from another thread and from a signal handler.
    void requestStop() noexcept;

private:
    struct Connection {
        std::unique_ptr<cObjectSocket> socket;
        std::string in;
        std::string out;
        bool closing = false;
    };

    // What identifies one version of the state file.
    struct FileStamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
    };

    void acceptConnections();
    void readFrom(Connection& connection);
    void writeTo(Connection& connection);
    void handleFrames(Connection& connection);
    void handleRequest(Connection& connection);
    void serveRead(Connection& connection);
    void serveWrite(Connection& connection);
    void refuse(Connection& connection, const std::string& why);
    // Ends the connection, saying why on `err`.
    void close(Connection& connection, const std::string& why);
    void reply(Connection& connection);
    void refreshState();
    void closeAll();

    Options options;
    std::ostream& out;
    std::ostream& err;
    std::ofstream journal;
    int listenFd = -1;
    int wakeFds[2] = {-1, -1};
    std::vector<Connection> connections;
    SimulatorState state;
    FileStamp stateStamp;
    bool stateChecked = false;  // whether stateStamp describes a file seen
    cObjectFrame request{cObjectFrame::eKind::REQUEST};
    cObjectFrame answer;
    std::string encoded;
};

#endif
