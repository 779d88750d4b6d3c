#include "HttpServer.h"

#include "Seconds.h"

#include <arpa/inet.h>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <list>
#include <microhttpd.h>
#include <mutex>
#include <netinet/in.h>
#include <string_view>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace orvaneexporter {

using Clock = std::chrono::steady_clock;

// One request's answer, handed from whichever thread gives it to the library's thread.
struct Exchange {
    explicit Exchange(MHD_Connection *connection) : connection(connection) {}

    std::mutex mutex;
    MHD_Connection *const connection;
    std::optional<HttpAnswer> answer;
    bool suspended = false;
};

namespace {

// A connection from its start: when it was taken, and whether its request is still on its way.
struct ConnectionRecord {
    int socket;
    Clock::time_point accepted;
    bool reading = true;
    std::list<ConnectionRecord *>::iterator place; // in the list of reading ones while reading
};

MHD_Result queueAnswer(MHD_Connection *connection, const HttpAnswer &answer) {
    MHD_Response *response = MHD_create_response_from_buffer(
        answer.body.size(), const_cast<char *>(answer.body.data()), MHD_RESPMEM_MUST_COPY);
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, answer.contentType.c_str());
    for (const auto &[name, value] : answer.headers) {
        MHD_add_response_header(response, name.c_str(), value.c_str());
    }
    // One request per connection, so that a request's deadline is its connection's, and no
    // connection waits idle for a next request.
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    const MHD_Result queued = MHD_queue_response(connection, answer.status, response);
    MHD_destroy_response(response);
    return queued;
}

// Queues the answer when there is one, else lets the connection wait, out of the library's loop,
// until HttpReply::send resumes it.
MHD_Result answerOrWait(Exchange &exchange) {
    const std::lock_guard<std::mutex> lock(exchange.mutex);
    if (exchange.answer) {
        return queueAnswer(exchange.connection, *exchange.answer);
    }
    exchange.suspended = true;
    MHD_suspend_connection(exchange.connection);
    return MHD_YES;
}

bool hasBody(MHD_Connection *connection) {
    const char *length =
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
    return (length != nullptr && std::strcmp(length, "0") != 0) ||
           MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                       MHD_HTTP_HEADER_TRANSFER_ENCODING) != nullptr;
}

// The address and port as a socket address; false for text that is no address literal.
bool socketAddress(const std::string &address, int port, sockaddr_storage *socket,
                   socklen_t *length) {
    *socket = {};
    auto *ipv4 = reinterpret_cast<sockaddr_in *>(socket);
    auto *ipv6 = reinterpret_cast<sockaddr_in6 *>(socket);
    if (::inet_pton(AF_INET, address.c_str(), &ipv4->sin_addr) == 1) {
        ipv4->sin_family = AF_INET;
        ipv4->sin_port = htons(std::uint16_t(port));
        *length = sizeof *ipv4;
        return true;
    }
    if (::inet_pton(AF_INET6, address.c_str(), &ipv6->sin6_addr) == 1) {
        ipv6->sin6_family = AF_INET6;
        ipv6->sin6_port = htons(std::uint16_t(port));
        *length = sizeof *ipv6;
        return true;
    }
    return false;
}

int boundPort(int socket) {
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    ::getsockname(socket, reinterpret_cast<sockaddr *>(&bound), &length);
    return ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6 *>(&bound)->sin6_port
                                             : reinterpret_cast<sockaddr_in *>(&bound)->sin_port);
}

} // namespace

HttpAnswer plainAnswer(int status, const std::string &line) {
    return {status, kPlainText, line + "\n"};
}

namespace {

// What a request gets whose handler let its reply go unanswered.
HttpAnswer noAnswer() {
    return plainAnswer(500, "no answer was given to this request");
}

} // namespace

HttpRequest::HttpRequest(MHD_Connection *connection, std::string path,
                         std::chrono::steady_clock::time_point accepted)
    : connection(connection), requestPath(std::move(path)), acceptedAt(accepted) {}

std::vector<std::string> HttpRequest::parameters(const char *name) const {
    struct Search {
        const char *name;
        std::vector<std::string> values;
    } search{name, {}};
    MHD_get_connection_values_n(
        connection, MHD_GET_ARGUMENT_KIND,
        [](void *found, MHD_ValueKind, const char *key, std::size_t keySize, const char *value,
           std::size_t valueSize) {
            auto &search = *static_cast<Search *>(found);
            if (std::string_view(key, keySize) == search.name) {
                search.values.emplace_back(value != nullptr ? value : "", valueSize);
            }
            return MHD_YES;
        },
        &search);
    return search.values;
}

std::optional<std::string> HttpRequest::parameter(const char *name) const {
    std::vector<std::string> values = parameters(name);
    return values.empty() ? std::nullopt : std::optional(std::move(values.front()));
}

std::optional<std::string> HttpRequest::header(const char *name) const {
    const char *value = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

HttpReply::HttpReply(std::shared_ptr<Exchange> exchange) : exchange(std::move(exchange)) {}

HttpReply &HttpReply::operator=(HttpReply &&other) {
    if (this != &other) {
        send(noAnswer());
        exchange = std::move(other.exchange);
    }
    return *this;
}

HttpReply::~HttpReply() {
    send(noAnswer());
}

void HttpReply::send(HttpAnswer answer) {
    if (!exchange) {
        return;
    }
    const std::shared_ptr<Exchange> given = std::move(exchange);
    const std::lock_guard<std::mutex> lock(given->mutex);
    given->answer = std::move(answer);
    if (given->suspended) {
        given->suspended = false;
        MHD_resume_connection(given->connection);
    }
}

struct HttpServer::State {
    State(HttpLimits limits, HttpHandler handler, RefusalCounter refused)
        : limits(limits), handler(std::move(handler)), refused(std::move(refused)) {}

    bool listen(const std::string &address, int port, std::string *error);
    bool startDaemon();
    MHD_Result firstCall(MHD_Connection *connection, const char *url, const char *method,
                         void **requestState);
    void startReading(ConnectionRecord &record);
    bool requestArrived(ConnectionRecord &record);
    void closed(ConnectionRecord &record);
    void keepDeadlines();
    void refuseAsSlow(int socket) const;

    const HttpLimits limits;
    const HttpHandler handler;
    const RefusalCounter refused;
    MHD_Daemon *daemon = nullptr;
    int listeningSocket = -1;
    int port = 0;

    std::mutex mutex;
    std::condition_variable changed;
    std::list<ConnectionRecord *> reading; // oldest first
    std::size_t exchanges = 0;             // requests arrived and not yet done with
    bool stopping = false;
    std::thread deadlineKeeper;
};

namespace {

MHD_Result onRequest(void *server, MHD_Connection *connection, const char *url, const char *method,
                     const char *, const char *, std::size_t *uploadSize, void **requestState) {
    if (*requestState == nullptr) {
        return static_cast<HttpServer::State *>(server)->firstCall(connection, url, method,
                                                                   requestState);
    }
    *uploadSize = 0; // a body is refused at the first call; nothing of it is read
    return answerOrWait(**static_cast<std::shared_ptr<Exchange> *>(*requestState));
}

void onCompleted(void *server, MHD_Connection *, void **requestState, MHD_RequestTerminationCode) {
    auto *exchange = static_cast<std::shared_ptr<Exchange> *>(*requestState);
    if (exchange == nullptr) {
        return;
    }
    delete exchange;
    auto &state = *static_cast<HttpServer::State *>(server);
    {
        const std::lock_guard<std::mutex> lock(state.mutex);
        --state.exchanges;
    }
    state.changed.notify_all();
}

void onConnection(void *server, MHD_Connection *connection, void **socketState,
                  MHD_ConnectionNotificationCode event) {
    auto &state = *static_cast<HttpServer::State *>(server);
    if (event == MHD_CONNECTION_NOTIFY_STARTED) {
        const int socket =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD)->connect_fd;
        auto *record = new ConnectionRecord{socket, Clock::now(), true, {}};
        *socketState = record;
        state.startReading(*record);
        return;
    }
    auto *record = static_cast<ConnectionRecord *>(*socketState);
    state.closed(*record);
    delete record;
}

} // namespace

bool HttpServer::State::listen(const std::string &address, int port, std::string *error) {
    sockaddr_storage socket{};
    socklen_t length = 0;
    if (!socketAddress(address, port, &socket, &length)) {
        *error = "not an IPv4 or IPv6 address";
        return false;
    }
    listeningSocket = ::socket(socket.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // SO_REUSEADDR for a restart while connections of the last run linger; no SO_REUSEPORT, with
    // which a second exporter on the same port would silently take half of the scrapes.
    const int yes = 1;
    // Prometheus scrapes every target of a job at the same moment: the whole burst waits in the
    // backlog rather than being sent again a second later.
    if (listeningSocket < 0 ||
        ::setsockopt(listeningSocket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0 ||
        ::bind(listeningSocket, reinterpret_cast<sockaddr *>(&socket), length) != 0 ||
        ::listen(listeningSocket, SOMAXCONN) != 0) {
        *error = std::strerror(errno);
        return false;
    }
    this->port = boundPort(listeningSocket);
    return true;
}

bool HttpServer::State::startDaemon() {
    // The idle time-out ends connections whose answer is not read; a request that is still on
    // its way is refused at its deadline first, with 408.
    const auto idleSeconds =
        unsigned(std::chrono::ceil<std::chrono::seconds>(limits.requestDeadline).count() + 1);
    daemon = MHD_start_daemon(
        MHD_USE_AUTO_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME, 0, nullptr, nullptr, &onRequest,
        this, MHD_OPTION_LISTEN_SOCKET, listeningSocket, MHD_OPTION_CONNECTION_LIMIT,
        unsigned(limits.connections), MHD_OPTION_CONNECTION_MEMORY_LIMIT, limits.connectionBytes,
        MHD_OPTION_CONNECTION_TIMEOUT, idleSeconds, MHD_OPTION_NOTIFY_CONNECTION, &onConnection,
        this, MHD_OPTION_NOTIFY_COMPLETED, &onCompleted, this, MHD_OPTION_END);
    if (daemon == nullptr) {
        return false;
    }
    deadlineKeeper = std::thread([this] { keepDeadlines(); });
    return true;
}

MHD_Result HttpServer::State::firstCall(MHD_Connection *connection, const char *url,
                                        const char *method, void **requestState) {
    auto &record = *static_cast<ConnectionRecord *>(
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT)->socket_context);
    if (!requestArrived(record)) {
        return MHD_NO; // refused as slow meanwhile
    }
    const auto exchange = std::make_shared<Exchange>(connection);
    *requestState = new std::shared_ptr<Exchange>(exchange);
    HttpReply reply(exchange);
    if (hasBody(connection)) {
        refused("body");
        reply.send(plainAnswer(413, "a request with a body is not taken here"));
    } else if (std::strcmp(method, MHD_HTTP_METHOD_GET) != 0 &&
               std::strcmp(method, MHD_HTTP_METHOD_HEAD) != 0) {
        refused("method");
        reply.send(plainAnswer(405, "only GET and HEAD are answered here"));
    } else {
        handler(HttpRequest(connection, url, record.accepted), std::move(reply));
    }
    return answerOrWait(*exchange);
}

void HttpServer::State::startReading(ConnectionRecord &record) {
    bool first = false;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        first = reading.empty();
        record.place = reading.insert(reading.end(), &record);
    }
    // Later connections are due after the oldest, whose deadline the keeper waits for already.
    if (first) {
        changed.notify_all();
    }
}

bool HttpServer::State::requestArrived(ConnectionRecord &record) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (!record.reading) {
        return false;
    }
    reading.erase(record.place);
    record.reading = false;
    ++exchanges;
    return true;
}

void HttpServer::State::closed(ConnectionRecord &record) {
    bool unread = false;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (record.reading) {
            reading.erase(record.place);
            unread = !stopping;
        }
    }
    if (unread) {
        refused("unread");
    }
}

void HttpServer::State::keepDeadlines() {
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
        if (reading.empty()) {
            changed.wait(lock);
            continue;
        }
        ConnectionRecord &oldest = *reading.front();
        const Clock::time_point due = oldest.accepted + limits.requestDeadline;
        if (Clock::now() < due) {
            changed.wait_until(lock, due);
            continue;
        }
        reading.pop_front();
        oldest.reading = false;
        // Under the lock: the library reports a connection closed (onConnection) before it
        // closes its socket, so the socket is still this connection's.
        refuseAsSlow(oldest.socket);
        lock.unlock();
        refused("slow");
        lock.lock();
    }
}

// The library has no deadline for a whole request, only for a connection that sends nothing at
// all: the refusal is written here, and the shut socket makes the library close the connection.
void HttpServer::State::refuseAsSlow(int socket) const {
    const std::string body = "the request did not arrive within " +
                             orvane::formatSeconds(std::uint32_t(limits.requestDeadline.count())) +
                             " s\n";
    const std::string text = "HTTP/1.1 408 Request Timeout\r\nConnection: close\r\nContent-Type: " +
                             std::string(kPlainText) +
                             "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
                             body;
    ::send(socket, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    ::shutdown(socket, SHUT_RDWR);
}

HttpServer::HttpServer(HttpLimits limits, HttpHandler handler, RefusalCounter refused)
    : state(std::make_unique<State>(limits, std::move(handler), std::move(refused))) {}

HttpServer::~HttpServer() {
    stop(std::chrono::milliseconds(0));
}

bool HttpServer::start(const std::string &address, int port, std::string *error) {
    if (!state->listen(address, port, error)) {
        return false;
    }
    if (!state->startDaemon()) {
        *error = "the HTTP server could not be started";
        return false;
    }
    return true;
}

int HttpServer::port() const {
    return state->port;
}

void HttpServer::stop(std::chrono::milliseconds grace) {
    if (state->daemon == nullptr) {
        if (state->listeningSocket >= 0) {
            ::close(std::exchange(state->listeningSocket, -1));
        }
        return;
    }
    // No new connections from here on; the answers given go out, up to grace.
    MHD_quiesce_daemon(state->daemon);
    {
        std::unique_lock<std::mutex> lock(state->mutex);
        state->changed.wait_for(lock, grace, [this] { return state->exchanges == 0; });
        state->stopping = true;
    }
    state->changed.notify_all();
    state->deadlineKeeper.join();
    MHD_stop_daemon(std::exchange(state->daemon, nullptr));
    ::close(std::exchange(state->listeningSocket, -1));
}

} // namespace orvaneexporter
