// The exporter's HTTP side, on GNU libmicrohttpd: one thread serves every connection, each
// connection holds a fixed amount of memory, and whatever a client sends or keeps open is
// bounded here, never by the client. One request per connection.
//
// The library refuses a request line (414) or headers (431) that do not fit the memory of a
// connection, waits with new connections in the listening backlog while it serves as many as it
// may, and ends connections that sit idle. Ours: a whole request must arrive within a deadline
// (408, however slowly it trickles in), no body is taken (413), GET and HEAD only (405), and an
// answer may come later, from another thread, while the connection waits suspended.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct MHD_Connection;

namespace orvaneexporter {

struct HttpLimits {
    std::size_t connections = 1024;
    // Memory per connection: the request line and headers with the library's records of them,
    // and the answer's header. Requests of about 8 KiB and more are refused.
    std::size_t connectionBytes = 8192;
    // From the connection's start to the end of its request; also the longest idle time.
    std::chrono::milliseconds requestDeadline{5000};
};

struct HttpAnswer {
    int status = 200;
    std::string contentType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers{}; // beside the content type
};

inline constexpr char kPlainText[] = "text/plain; charset=utf-8";

// An answer of one line of plain text, such as a refusal's reason.
HttpAnswer plainAnswer(int status, const std::string &line);

// A request whose headers have arrived; valid while the handler runs.
class HttpRequest {
public:
    HttpRequest(MHD_Connection *connection, std::string path,
                std::chrono::steady_clock::time_point accepted);

    const std::string &path() const { return requestPath; }
    // When the connection was taken.
    std::chrono::steady_clock::time_point accepted() const { return acceptedAt; }
    // Every value of a query parameter, in order; an empty one for "?name".
    std::vector<std::string> parameters(const char *name) const;
    std::optional<std::string> parameter(const char *name) const;
    std::optional<std::string> header(const char *name) const;

private:
    MHD_Connection *connection;
    std::string requestPath;
    std::chrono::steady_clock::time_point acceptedAt;
};

struct Exchange;

// The answer to one request, given once, from any thread: at once in the handler, or later,
// while the connection waits. One never given is answered 500 when the last handle goes.
class HttpReply {
public:
    explicit HttpReply(std::shared_ptr<Exchange> exchange);
    HttpReply(HttpReply &&) = default;
    HttpReply &operator=(HttpReply &&other); // answers 500 for the request it held, if unanswered
    ~HttpReply();

    // The first answer given counts; later ones are dropped.
    void send(HttpAnswer answer);

private:
    std::shared_ptr<Exchange> exchange;
};

using HttpHandler = std::function<void(const HttpRequest &, HttpReply)>;
// Why a connection got no answer of the handler: "slow" (408), "body" (413), "method" (405),
// "unread" (closed before a whole request arrived: too large for its memory, 414 or 431, or the
// client went away).
using RefusalCounter = std::function<void(const char *cause)>;

class HttpServer {
public:
    HttpServer(HttpLimits limits, HttpHandler handler, RefusalCounter refused);
    ~HttpServer();

    // Listens on address (IPv4 or IPv6 literal) and port, any free port for 0, and serves from
    // then on; false, with the reason, when it cannot.
    bool start(const std::string &address, int port, std::string *error);
    int port() const;

    // Waits up to grace for the answers given to go out, then closes every connection. Every
    // request must have been answered before.
    void stop(std::chrono::milliseconds grace);

    struct State;

private:
    std::unique_ptr<State> state;
};

} // namespace orvaneexporter
