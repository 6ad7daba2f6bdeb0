#include "cObjectClient.h"

#include <algorithm>
#include <exception>

cObjectClient::cObjectClient() = default;

cObjectClient::~cObjectClient() = default;

bool cObjectClient::start(const char* newHost, int newPort) {
    host = newHost != nullptr ? newHost : "";
    port = newPort;
    socket.close();
    return connect();
}

void cObjectClient::setTimeout(int milliseconds) {
    timeoutMs = std::clamp(milliseconds, 1, MAX_TIMEOUT_MS);
}

bool cObjectClient::connect() {
    lastError.clear();
    if (host.empty()) {
        lastError = "no service address; start was not called";
        return false;
    }
    const auto deadline = cObjectSocket::Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (!socket.connect(host, port, deadline, &lastError)) {
        lastError = "connect to " + host + ":" + std::to_string(port) + ": " + lastError;
        return false;
    }
    return true;
}

cObjectList* cObjectClient::get(cObjectList* list) {
    // The previous reply ends here, whatever happens next.
    reply.clear();
    if (list == nullptr) {
        lastError = "no request list";
        return nullptr;
    }
    request.clear();
    request.getList().setMsgType(list->getMsgType());
    for (int i = 0; i < list->numObjects(); ++i) {
        request.getList().add(list->at(i));
    }
    const bool ok = exchange(list->getMsgType(), reply);
    request.clear();  // drop the lent pointers at once
    if (!ok) {
        reply.clear();
        return nullptr;
    }
    return &reply.getList();
}

bool cObjectClient::set(cObject* object) {
    if (object == nullptr) {
        lastError = "no object to write";
        return false;
    }
    request.clear();
    request.getList().setMsgType(cObjectFrame::MSG_WRITE);
    request.getList().add(object);
    const bool ok = exchange(cObjectFrame::MSG_WRITE, ack);
    request.clear();
    const bool applied = ok && ack.getApplied();
    if (ok && !applied) {
        lastError = "write not applied by the service";
    }
    ack.clear();
    return applied;
}

bool cObjectClient::exchange(unsigned char expectedType, cObjectFrame& answer) {
    try {
        if (!socket.isAlive() && !connect()) {
            return false;
        }
        lastError.clear();
        if (!request.encode(buffer, &lastError)) {
            return false;  // nothing was sent; the connection stays good
        }
        const auto deadline = cObjectSocket::Clock::now() + std::chrono::milliseconds(timeoutMs);
        bool ok = socket.sendAll(buffer.data(), buffer.size(), deadline, &lastError);

        if (ok) {
            buffer.resize(cObjectFrame::HEADER_SIZE);
            ok = socket.receiveAll(&buffer[0], buffer.size(), deadline, &lastError);
        }
        if (ok) {
            const std::uint32_t length =
                cObjectFrame::readLength(reinterpret_cast<const unsigned char*>(buffer.data()));
            if (length > cObjectFrame::MAX_PAYLOAD) {
                lastError = "reply of " + std::to_string(length) + " bytes is too large";
                ok = false;
            } else {
                buffer.resize(length);
                ok = length == 0 ||
                     socket.receiveAll(&buffer[0], buffer.size(), deadline, &lastError);
            }
        }
        if (ok && answer.decodePayload(buffer.data(), buffer.size(), &lastError) !=
                      cObjectFrame::eResult::COMPLETE) {
            ok = false;
        }
        if (ok && answer.getList().getMsgType() != expectedType) {
            lastError = answer.getList().getMsgType() == cObjectFrame::MSG_ERROR
                            ? "service refused the request: " + answer.getError()
                            : "reply of unexpected message type";
            ok = false;
        }
        if (!ok) {
            socket.close();
            answer.clear();
        }
        return ok;
    } catch (const std::exception& e) {
        // Allocation failure is all that is left to throw; the caller is
        // promised null, not an exception.
        lastError = e.what();
        socket.close();
        answer.clear();
        return false;
    }
}
