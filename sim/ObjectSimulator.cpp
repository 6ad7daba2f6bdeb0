#include "ObjectSimulator.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iomanip>
#include <memory>
#include <new>
#include <ostream>
#include <sstream>
#include <string_view>
#include <utility>

#include <nlohmann/json.hpp>

#include "SimulatedAnalogInput.h"
#include "cObjectDOutput.h"
#include "cPeerText.h"

namespace {

const int LISTEN_BACKLOG = 16;
const std::size_t READ_CHUNK = 64 * 1024;

// A length header of 12 followed by 12 bytes that are no JSON document.
const char GARBAGE_REPLY[] = "\x00\x00\x00\x0cnot a frame!";
const std::size_t GARBAGE_REPLY_SIZE = sizeof GARBAGE_REPLY - 1;

// Keeps the member order of the documented journal lines.
using JournalLine = nlohmann::ordered_json;

std::string hexSerial(unsigned int serial) {
    std::ostringstream text;
    text << std::hex << serial;
    return text.str();
}

// "DI1@a1/0=1" and the like, for the request lines.
std::string describe(const cObject& object) {
    std::ostringstream text;
    const auto* port = dynamic_cast<const cObjectPort*>(&object);
    if (port == nullptr) {
        text << "type " << object.getType();
        return text.str();
    }
    text << port->getPortLabel() << '@' << hexSerial(port->getDeviceSerial()) << '/'
         << port->getPortId() << '=';
    if (const auto* held = dynamic_cast<const SimulatedAnalogInput*>(&object)) {
        text << held->getReading();
    } else if (const auto* analog = dynamic_cast<const cObjectAInput*>(&object)) {
        text << analog->getCalculatedValue();
    } else if (const auto* output = dynamic_cast<const cObjectDOutput*>(&object)) {
        text << output->getOutputState();
    } else {
        text << port->getPortStatus();
    }
    return text.str();
}

bool sameStamp(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

ObjectSimulator::ObjectSimulator(Options options, std::ostream& out, std::ostream& err)
    : options(std::move(options)), out(out), err(err) {
    if (::pipe2(wakeFds, O_NONBLOCK | O_CLOEXEC) != 0) {
        wakeFds[0] = wakeFds[1] = -1;
    }
}

ObjectSimulator::~ObjectSimulator() {
    closeAll();
    for (int& fd : wakeFds) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

bool ObjectSimulator::open(std::string& why) {
    const std::string where = options.host + ":" + std::to_string(options.port);
    if (wakeFds[0] < 0) {
        why = std::string("cannot create the stop pipe: ") + std::strerror(errno);
        return false;
    }
    sockaddr_storage address{};
    socklen_t length = 0;
    if (!cObjectSocket::resolve(options.host, options.port, address, length)) {
        why = "not a numeric listen address: " + where;
        return false;
    }
    listenFd = ::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd < 0) {
        why = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    // A restarted simulator must get its port back while old connections linger.
    const int one = 1;
    ::setsockopt(listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(listenFd, reinterpret_cast<const sockaddr*>(&address), length) != 0 ||
        ::listen(listenFd, LISTEN_BACKLOG) != 0) {
        why = "cannot listen on " + where + ": " + std::strerror(errno);
        ::close(listenFd);
        listenFd = -1;
        return false;
    }

    if (!options.journalFile.empty()) {
        journal.open(options.journalFile, std::ios::out | std::ios::app);
        if (!journal) {
            why = "cannot open the journal " + options.journalFile + ": " + std::strerror(errno);
            ::close(listenFd);
            listenFd = -1;
            return false;
        }
    }
    refreshState();
    return true;
}

int ObjectSimulator::getPort() const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (listenFd < 0 ||
        ::getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return -1;
    }
    if (address.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port);
    }
    return ntohs(reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
}

void ObjectSimulator::requestStop() noexcept {
    if (wakeFds[1] >= 0) {
        const char byte = 's';
        // A full pipe already holds a stop request; nothing else can fail here.
        [[maybe_unused]] const ssize_t written = ::write(wakeFds[1], &byte, 1);
    }
}

void ObjectSimulator::run() {
    std::vector<pollfd> fds;
    for (;;) {
        fds.clear();
        fds.push_back({wakeFds[0], POLLIN, 0});
        fds.push_back({listenFd, POLLIN, 0});
        for (const Connection& connection : connections) {
            const short events = connection.out.empty() ? POLLIN : POLLIN | POLLOUT;
            fds.push_back({connection.socket->descriptor(), events, 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            err << "objsim: poll: " << std::strerror(errno) << std::endl;
            break;
        }
        if (fds[0].revents != 0) {
            break;
        }
        // Connections accepted below are polled from the next round on.
        const std::size_t polled = connections.size();
        for (std::size_t i = 0; i < polled; ++i) {
            const short revents = fds[i + 2].revents;
            if ((revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
                readFrom(connections[i]);
            }
            if ((revents & POLLOUT) != 0 && !connections[i].closing) {
                writeTo(connections[i]);
            }
        }
        if (fds[1].revents != 0) {
            acceptConnections();
        }
        for (auto it = connections.begin(); it != connections.end();) {
            it = it->closing ? connections.erase(it) : it + 1;
        }
    }
    char drain[64];
    while (::read(wakeFds[0], drain, sizeof drain) > 0) {
    }
    closeAll();
}

void ObjectSimulator::closeAll() {
    connections.clear();
    if (listenFd >= 0) {
        ::close(listenFd);
        listenFd = -1;
    }
}

void ObjectSimulator::acceptConnections() {
    for (;;) {
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;  // EAGAIN, or an aborted connection: nothing to do
        }
        Connection connection;
        connection.socket = std::make_unique<cObjectSocket>(fd);
        connections.push_back(std::move(connection));
    }
}

void ObjectSimulator::readFrom(Connection& connection) {
    char chunk[READ_CHUNK];
    cObjectSocket::eTransfer result = cObjectSocket::eTransfer::DONE;
    std::string why;
    while (result == cObjectSocket::eTransfer::DONE) {
        std::size_t received = 0;
        result = connection.socket->receiveSome(chunk, sizeof chunk, received, &why);
        connection.in.append(chunk, received);
    }
    if (result == cObjectSocket::eTransfer::FAILED) {
        // The client went away; what it sent before is still served.
        close(connection, why.rfind("recv:", 0) == 0 ? why : "the client closed it");
    }
    try {
        handleFrames(connection);
    } catch (const std::bad_alloc&) {
        connection.in.clear();
        close(connection, "out of memory");
    }
    if (!connection.closing && !connection.out.empty()) {
        writeTo(connection);
    }
}

void ObjectSimulator::writeTo(Connection& connection) {
    std::size_t sent = 0;
    std::string why;
    if (connection.socket->sendSome(connection.out.data(), connection.out.size(), sent, &why) ==
        cObjectSocket::eTransfer::FAILED) {
        close(connection, why);
    }
    connection.out.erase(0, sent);
}

void ObjectSimulator::handleFrames(Connection& connection) {
    std::size_t offset = 0;
    while (!connection.closing) {
        std::size_t consumed = 0;
        std::string why;
        const auto result = request.decode(connection.in.data() + offset,
                                           connection.in.size() - offset, consumed, &why);
        if (result == cObjectFrame::eResult::INCOMPLETE) {
            break;
        }
        if (result == cObjectFrame::eResult::TOO_LARGE) {
            // Skipping a frame that size is not worth it; the client reconnects.
            out << "rejected: " << why << "; connection closed" << std::endl;
            const char* start = connection.in.data() + offset;
            if (cObjectFrame::headerIsText(reinterpret_cast<const unsigned char*>(start))) {
                const std::size_t shown = std::min<std::size_t>(connection.in.size() - offset, 256);
                why = "the client does not speak the object protocol: it sent \"" +
                      cPeerText::bounded(std::string_view(start, shown)) + "\"";
            }
            close(connection, why);
            break;
        }
        offset += consumed;
        refreshState();
        if (result == cObjectFrame::eResult::MALFORMED) {
            refuse(connection, why);
        } else {
            handleRequest(connection);
        }
    }
    connection.in.erase(0, offset);
}

void ObjectSimulator::handleRequest(Connection& connection) {
    switch (request.getList().getMsgType()) {
        case cObjectFrame::MSG_READ:
            serveRead(connection);
            break;
        case cObjectFrame::MSG_WRITE:
            if (request.getList().numObjects() != 1) {
                refuse(connection, "a write carries exactly one object, not " +
                                       std::to_string(request.getList().numObjects()));
            } else {
                serveWrite(connection);
            }
            break;
        default:
            refuse(connection,
                   "unsupported message type " + std::to_string(request.getList().getMsgType()));
            break;
    }
}

void ObjectSimulator::serveRead(Connection& connection) {
    const SimulatorState::eFault fault = state.getFault();
    cObjectList& asked = request.getList();
    JournalLine line = {{"op", "get"}, {"requested", asked.numObjects()}, {"answered", 0}};

    if (fault != SimulatorState::eFault::NONE && fault != SimulatorState::eFault::MALFORMED_END) {
        out << "get: " << asked.numObjects() << " requested, not answered (fault "
            << SimulatorState::faultName(fault) << ")" << std::endl;
        line["fault"] = SimulatorState::faultName(fault);
    } else {
        answer.clear();
        answer.getList().setMsgType(cObjectFrame::MSG_READ);
        std::string found;
        for (int i = 0; i < asked.numObjects(); ++i) {
            if (const cObject* held = state.find(*asked.at(i))) {
                answer.getList().adopt(std::unique_ptr<cObject>(held->clone()));
                found += ' ' + describe(*held);
            }
        }
        for (const auto& extra : state.getExtraObjects()) {
            answer.getList().adopt(std::unique_ptr<cObject>(extra->clone()));
            found += ' ' + describe(*extra);
        }
        line["answered"] = answer.getList().numObjects();
        if (fault != SimulatorState::eFault::NONE) {
            line["fault"] = SimulatorState::faultName(fault);
        }
        out << "get: " << asked.numObjects() << " requested, " << answer.getList().numObjects()
            << " answered" << (found.empty() ? "" : ":") << found << std::endl;
    }
    if (journal.is_open()) {
        journal << line.dump() << std::endl;
    }
    reply(connection);
}

void ObjectSimulator::serveWrite(Connection& connection) {
    const SimulatorState::eFault fault = state.getFault();
    const cObject& object = *request.getList().at(0);
    const auto* port = dynamic_cast<const cObjectPort*>(&object);
    const auto* output = dynamic_cast<const cObjectDOutput*>(&object);
    const unsigned int serial = port != nullptr ? port->getDeviceSerial() : 0;
    const unsigned int portId = port != nullptr ? port->getPortId() : 0;
    const int wanted = output != nullptr ? output->getOutputState() : 0;

    bool applied = false;
    std::string outcome;
    if (fault != SimulatorState::eFault::NONE) {
        outcome = std::string("not applied (fault ") + SimulatorState::faultName(fault) + ")";
    } else if (output == nullptr) {
        outcome = "not applied (type " + std::to_string(object.getType()) + " is no output)";
    } else if (wanted != cObject::IOSTATE_HIGH && wanted != cObject::IOSTATE_LOW) {
        outcome = "not applied (state is neither 1 nor 2)";
    } else {
        applied = state.applyOutput(serial, portId, wanted);
        outcome = applied ? "applied" : "not applied (no such output)";
    }
    out << "set " << hexSerial(serial) << '/' << portId << " state " << wanted << ": " << outcome
        << std::endl;

    if (journal.is_open()) {
        JournalLine line = {{"op", "set"},
                            {"deviceid", hexSerial(serial)},
                            {"portid", portId},
                            {"state", wanted},
                            {"applied", applied}};
        if (fault != SimulatorState::eFault::NONE) {
            line["fault"] = SimulatorState::faultName(fault);
        }
        journal << line.dump() << std::endl;
    }
    answer.clear();
    answer.getList().setMsgType(cObjectFrame::MSG_WRITE);
    answer.setApplied(applied);
    reply(connection);
}

void ObjectSimulator::close(Connection& connection, const std::string& why) {
    if (!connection.closing) {
        connection.closing = true;
        err << "objsim: connection closed: " << why << std::endl;
    }
}

void ObjectSimulator::refuse(Connection& connection, const std::string& why) {
    out << "rejected: " << why << std::endl;
    answer.clear();
    answer.getList().setMsgType(cObjectFrame::MSG_ERROR);
    answer.setError(why);
    reply(connection);
}

// Sends `answer`, or plays the current fault instead.
void ObjectSimulator::reply(Connection& connection) {
    switch (state.getFault()) {
        case SimulatorState::eFault::HANG:
            break;
        case SimulatorState::eFault::CLOSE:
            close(connection, "fault close");
            break;
        case SimulatorState::eFault::GARBAGE:
            connection.out.append(GARBAGE_REPLY, GARBAGE_REPLY_SIZE);
            break;
        case SimulatorState::eFault::BYTES: {
            const std::string& payload = state.getFaultBytes();
            const auto length = static_cast<std::uint32_t>(payload.size());
            for (int shift = 24; shift >= 0; shift -= 8) {
                connection.out.push_back(static_cast<char>((length >> shift) & 0xFFU));
            }
            connection.out += payload;
            break;
        }
        case SimulatorState::eFault::NONE:
        case SimulatorState::eFault::MALFORMED_END: {
            // The answer repeats the request's number, by which the client
            // tells it from any other frame.
            answer.setRequestId(request.getRequestId());
            std::string why;
            if (answer.encode(encoded, &why)) {
                if (state.getFault() == SimulatorState::eFault::MALFORMED_END) {
                    encoded.back() = ']';  // the document's closing brace
                }
                connection.out += encoded;
            } else {
                out << "rejected: answer not sent: " << why << std::endl;
                close(connection, "the answer cannot be sent: " + why);
            }
            break;
        }
    }
    answer.clear();
}

void ObjectSimulator::refreshState() {
    if (options.stateFile.empty()) {
        return;
    }
    FileStamp now;
    struct stat info {};
    int statError = 0;
    if (::stat(options.stateFile.c_str(), &info) == 0) {
        now.exists = true;
        now.device = info.st_dev;
        now.inode = info.st_ino;
        now.size = info.st_size;
        now.modified = info.st_mtim;
    } else {
        statError = errno;
    }
    // The size and the inode catch rewrites within one tick of the file
    // system's clock, which leave the modification time unchanged.
    if (stateChecked && now.exists == stateStamp.exists && now.device == stateStamp.device &&
        now.inode == stateStamp.inode && now.size == stateStamp.size &&
        sameStamp(now.modified, stateStamp.modified)) {
        return;
    }
    stateChecked = true;
    stateStamp = now;

    std::string problem;
    if (!now.exists) {
        problem = "cannot read " + options.stateFile + ": " + std::strerror(statError);
    } else {
        std::ifstream file(options.stateFile, std::ios::binary);
        std::ostringstream text;
        if (file) {
            text << file.rdbuf();
        }
        if (!file) {
            problem = "cannot read " + options.stateFile;
        } else if (!state.parse(text.str(), problem)) {
            problem = "invalid state file " + options.stateFile + ": " + problem;
        }
    }
    if (problem.empty()) {
        err << "objsim: state loaded from " << options.stateFile << ": " << state.summary()
            << std::endl;
    } else {
        err << "objsim: " << problem << "; keeping the last good state" << std::endl;
    }
}
