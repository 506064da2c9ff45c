// SPDX-License-Identifier: GPL-2.0-or-later
// The least of a desktop's session manager (the X session management protocol over ICE), for the
// end-to-end scenarios: it listens on a local socket, prints "SESSION_MANAGER=<address>" for the
// program's environment, accepts one client and reports on its output what the client does:
//   registered
//   restart-style-hint <n>          (a property the client set)
//   save-yourself-done <0|1>
//   closed
// Each line read from its input asks the client for a session save:
//   checkpoint   a save without logout (type Both, no shutdown, no interaction)
// It ends when its input closes.

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <poll.h>
#include <unistd.h>

namespace {

SmsConn client = nullptr;
std::vector<IceConn> connections;

void Report(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

Status RegisterClient(SmsConn conn, SmPointer, char* previousId) {
    std::free(previousId);
    char* id = SmsGenerateClientID(conn);
    if (!id)
        return 0;
    const Status status = SmsRegisterClientReply(conn, id);
    std::free(id);
    client = conn;
    Report("registered");
    return status;
}

void InteractRequest(SmsConn conn, SmPointer, int) {
    SmsInteract(conn);
}

void InteractDone(SmsConn, SmPointer, Bool) {}

void SaveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}

void SaveYourselfPhase2Request(SmsConn conn, SmPointer) {
    SmsSaveYourselfPhase2(conn);
}

void SaveYourselfDone(SmsConn conn, SmPointer, Bool success) {
    Report(std::string("save-yourself-done ") + (success ? "1" : "0"));
    SmsSaveComplete(conn);
}

void CloseConnection(SmsConn conn, SmPointer, int count, char** reasons) {
    SmFreeReasons(count, reasons);
    IceConn ice = SmsGetIceConnection(conn);
    SmsCleanUp(conn);
    IceSetShutdownNegotiation(ice, False);
    IceCloseConnection(ice);
    std::erase(connections, ice);
    if (conn == client)
        client = nullptr;
    Report("closed");
}

void SetProperties(SmsConn, SmPointer, int count, SmProp** props) {
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(props[i]->name, SmRestartStyleHint) == 0 && props[i]->num_vals == 1 &&
            props[i]->vals[0].length >= 1)
            Report("restart-style-hint " +
                   std::to_string(*static_cast<unsigned char*>(props[i]->vals[0].value)));
        SmFreeProperty(props[i]);
    }
    std::free(props);
}

void DeleteProperties(SmsConn, SmPointer, int count, char** names) {
    for (int i = 0; i < count; ++i)
        std::free(names[i]);
    std::free(names);
}

void GetProperties(SmsConn conn, SmPointer) {
    SmsReturnProperties(conn, 0, nullptr);
}

Status NewClient(SmsConn, SmPointer, unsigned long* mask, SmsCallbacks* callbacks, char**) {
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask |
            SmsSaveYourselfDoneProcMask | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask |
            SmsDeletePropertiesProcMask | SmsGetPropertiesProcMask;
    callbacks->register_client = {RegisterClient, nullptr};
    callbacks->interact_request = {InteractRequest, nullptr};
    callbacks->interact_done = {InteractDone, nullptr};
    callbacks->save_yourself_request = {SaveYourselfRequest, nullptr};
    callbacks->save_yourself_phase2_request = {SaveYourselfPhase2Request, nullptr};
    callbacks->save_yourself_done = {SaveYourselfDone, nullptr};
    callbacks->close_connection = {CloseConnection, nullptr};
    callbacks->set_properties = {SetProperties, nullptr};
    callbacks->delete_properties = {DeleteProperties, nullptr};
    callbacks->get_properties = {GetProperties, nullptr};
    return 1;
}

// Only the test's own programs reach the socket: no cookie is needed.
Bool AcceptAnyHost(char*) {
    return True;
}

// Reads one command line; false once the input has closed.
bool ReadCommand() {
    static std::string pending;
    char buffer[256];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got <= 0)
        return false;
    pending.append(buffer, static_cast<std::size_t>(got));
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
        const std::string command = pending.substr(0, end);
        pending.erase(0, end + 1);
        if (command == "checkpoint" && client)
            SmsSaveYourself(client, SmSaveBoth, False, SmInteractStyleNone, False);
        else
            Report("ignored " + command);
    }
    return true;
}

} // namespace

int main() {
    char error[256] = {};
    if (!SmsInitialize("RecitorTest", "1.0", NewClient, nullptr, AcceptAnyHost, sizeof error,
                       error)) {
        std::fprintf(stderr, "SmsInitialize: %s\n", error);
        return 1;
    }
    int count = 0;
    IceListenObj* listeners = nullptr;
    if (!IceListenForConnections(&count, &listeners, sizeof error, error) || count == 0) {
        std::fprintf(stderr, "IceListenForConnections: %s\n", error);
        return 1;
    }
    // Only the local socket is offered and served: no other host may reach a manager that asks
    // for no cookie.
    std::vector<IceListenObj> local;
    for (int i = 0; i < count; ++i) {
        char* name = IceGetListenConnectionString(listeners[i]);
        if (std::strncmp(name, "local/", 6) == 0) {
            IceSetHostBasedAuthProc(listeners[i], AcceptAnyHost);
            local.push_back(listeners[i]);
        }
        std::free(name);
    }
    if (local.empty()) {
        std::fprintf(stderr, "no local socket to listen on\n");
        return 1;
    }
    char* address = IceComposeNetworkIdList(static_cast<int>(local.size()), local.data());
    Report(std::string("SESSION_MANAGER=") + address);
    std::free(address);

    for (;;) {
        std::vector<pollfd> fds;
        fds.push_back({STDIN_FILENO, POLLIN, 0});
        for (IceListenObj listener : local)
            fds.push_back({IceGetListenConnectionNumber(listener), POLLIN, 0});
        for (IceConn connection : connections)
            fds.push_back({IceConnectionNumber(connection), POLLIN, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0)
            continue;
        if (fds[0].revents && !ReadCommand())
            break;
        // The connections polled: one accepted below has no entry in fds yet.
        const std::vector<IceConn> open = connections;
        for (std::size_t i = 0; i < local.size(); ++i) {
            if (!fds[1 + i].revents)
                continue;
            IceAcceptStatus status;
            if (IceConn connection = IceAcceptConnection(local[i], &status))
                connections.push_back(connection);
        }
        for (std::size_t i = 0; i < open.size(); ++i) {
            if (!fds[1 + local.size() + i].revents)
                continue;
            if (IceProcessMessages(open[i], nullptr, nullptr) == IceProcessMessagesIOError) {
                IceSetShutdownNegotiation(open[i], False);
                IceCloseConnection(open[i]);
                std::erase(connections, open[i]);
                Report("closed");
            }
        }
    }
    IceFreeListenObjs(count, listeners);
    return 0;
}
