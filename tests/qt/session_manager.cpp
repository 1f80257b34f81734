// A session manager of the smallest kind, for the tests: it takes one client on a local socket,
// asks it to save itself as a logout does once it has registered, prints the restart command the
// client gave for that save and tells the client to end.
//   kestrival_session_manager ADDRESS_FILE
// ADDRESS_FILE receives the address for SESSION_MANAGER once the manager listens. Output: one line
// "restart<TAB>arg<TAB>arg..." for the logout's save; exit status 0 when the client saved and
// closed within 30 seconds.
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Session {
    SmsConn client = nullptr;
    bool registered = false;
    bool logoutAsked = false;
    bool saved = false;
    bool closed = false;
    std::vector<std::string> restart;
    Clock::time_point registeredAt;
};

Session session;

// Only clients on this machine's local sockets; no network peers.
Bool LocalOnly(char* hostName) { return hostName && std::strncmp(hostName, "local/", 6) == 0 ? True : False; }

Status RegisterClient(SmsConn connection, SmPointer, char*) {
    char* id = SmsGenerateClientID(connection);
    if (!id) return 0;
    SmsRegisterClientReply(connection, id);
    std::free(id);
    session.registered = true;
    session.registeredAt = Clock::now();
    return 1;
}

void SetProperties(SmsConn, SmPointer, int count, SmProp** properties) {
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(properties[i]->name, SmRestartCommand) == 0) {
            session.restart.clear();
            for (int v = 0; v < properties[i]->num_vals; ++v) {
                const SmPropValue& value = properties[i]->vals[v];
                session.restart.emplace_back(static_cast<const char*>(value.value),
                                             static_cast<std::size_t>(value.length));
            }
        }
        SmFreeProperty(properties[i]);
    }
    std::free(properties);
}

void SaveYourselfDone(SmsConn, SmPointer, Bool) {
    if (!session.logoutAsked || session.saved) return;
    session.saved = true;
    std::string line = "restart";
    for (const std::string& part : session.restart) line.append("\t").append(part);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    SmsDie(session.client);
}

void InteractRequest(SmsConn connection, SmPointer, int) { SmsInteract(connection); }
void InteractDone(SmsConn, SmPointer, Bool) {}
void SaveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}
void SaveYourselfPhase2Request(SmsConn connection, SmPointer) { SmsSaveYourselfPhase2(connection); }
void DeleteProperties(SmsConn, SmPointer, int count, char** names) {
    for (int i = 0; i < count; ++i) std::free(names[i]);
    std::free(names);
}
void GetProperties(SmsConn connection, SmPointer) { SmsReturnProperties(connection, 0, nullptr); }

void CloseConnection(SmsConn connection, SmPointer, int count, char** reasons) {
    SmFreeReasons(count, reasons);
    SmsCleanUp(connection);
    session.closed = true;
}

Status NewClient(SmsConn connection, SmPointer, unsigned long* mask, SmsCallbacks* callbacks, char** failure) {
    if (session.client) {
        *failure = strdup("one client only");
        return 0;
    }
    session.client = connection;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask |
            SmsCloseConnectionProcMask | SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask |
            SmsGetPropertiesProcMask;
    callbacks->register_client.callback = RegisterClient;
    callbacks->interact_request.callback = InteractRequest;
    callbacks->interact_done.callback = InteractDone;
    callbacks->save_yourself_request.callback = SaveYourselfRequest;
    callbacks->save_yourself_phase2_request.callback = SaveYourselfPhase2Request;
    callbacks->save_yourself_done.callback = SaveYourselfDone;
    callbacks->close_connection.callback = CloseConnection;
    callbacks->set_properties.callback = SetProperties;
    callbacks->delete_properties.callback = DeleteProperties;
    callbacks->get_properties.callback = GetProperties;
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s ADDRESS_FILE\n", argv[0]);
        return 2;
    }
    char error[256] = {};
    if (!SmsInitialize("kestrival-test", "1", NewClient, nullptr, LocalOnly, sizeof error, error)) {
        std::fprintf(stderr, "SmsInitialize: %s\n", error);
        return 1;
    }
    int count = 0;
    IceListenObj* listeners = nullptr;
    if (!IceListenForConnections(&count, &listeners, sizeof error, error) || count == 0) {
        std::fprintf(stderr, "IceListenForConnections: %s\n", error);
        return 1;
    }
    std::vector<IceListenObj> local;
    for (int i = 0; i < count; ++i) {
        IceSetHostBasedAuthProc(listeners[i], LocalOnly);
        char* id = IceGetListenConnectionString(listeners[i]);
        if (id && std::strncmp(id, "local/", 6) == 0) local.push_back(listeners[i]);
        std::free(id);
    }
    if (local.empty()) return 1;
    char* address = IceComposeNetworkIdList(static_cast<int>(local.size()), local.data());
    if (FILE* file = std::fopen(argv[1], "w")) {
        std::fprintf(file, "%s\n", address);
        std::fclose(file);
    }
    std::free(address);

    IceConn connection = nullptr;
    const Clock::time_point end = Clock::now() + std::chrono::seconds(30);
    while (!session.closed && Clock::now() < end) {
        std::vector<pollfd> watched;
        for (IceListenObj listener : local) watched.push_back({IceGetListenConnectionNumber(listener), POLLIN, 0});
        IceConn watchedConnection = connection;
        if (watchedConnection) watched.push_back({IceConnectionNumber(watchedConnection), POLLIN, 0});
        ::poll(watched.data(), watched.size(), 100);
        for (std::size_t i = 0; i < local.size(); ++i) {
            if (!(watched[i].revents & POLLIN)) continue;
            IceAcceptStatus status;
            if (IceConn accepted = IceAcceptConnection(local[i], &status)) connection = accepted;
        }
        if (watchedConnection && (watched.back().revents & (POLLIN | POLLHUP))) {
            if (IceProcessMessages(watchedConnection, nullptr, nullptr) == IceProcessMessagesIOError) {
                IceCloseConnection(watchedConnection);
                connection = nullptr;
                session.closed = session.client != nullptr;
            }
        }
        // A logout, once the client has had a moment to come up after registering.
        if (session.registered && !session.logoutAsked &&
            Clock::now() - session.registeredAt > std::chrono::seconds(2)) {
            session.logoutAsked = true;
            SmsSaveYourself(session.client, SmSaveBoth, True, SmInteractStyleNone, False);
        }
    }
    IceFreeListenObjs(count, listeners);  // also removes the socket's name
    return session.saved && session.closed ? 0 : 1;
}
