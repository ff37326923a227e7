#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace nimbrel::testing {

/// One answer a scripted server gives, or the way it refuses to give one.
struct ScriptedResponse {
    enum class Behaviour {
        /// Send status, headers and body (after `delay`).
        answer,
        /// Accept the request and never answer, until the server stops or releaseHangs() is called.
        hang,
        /// Close the connection without a byte of answer. Qt's network stack may send the request again on
        /// its own (up to twice) before it reports the loss, so tests that count requests use `truncate`.
        drop,
        /// Announce the whole body's length, send half of it, then close the connection.
        truncate,
    };

    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::chrono::milliseconds delay{0};
    Behaviour behaviour = Behaviour::answer;

    /// An answer with a JSON body ("Content-Type: application/json; charset=utf-8").
    static ScriptedResponse json(int status, const nlohmann::json& body);
    /// An answer with a body as given, and the content type as given.
    static ScriptedResponse text(int status, std::string body, std::string contentType = "text/plain");
    static ScriptedResponse hang();
    static ScriptedResponse drop();
    ScriptedResponse withHeader(std::string name, std::string value) &&;
    ScriptedResponse after(std::chrono::milliseconds wait) &&;

    /// Reads the form the admin endpoint takes: {"status", "headers": {…}, "body" (text, or any JSON that
    /// is sent serialised), "delay_ms", "behaviour": "answer" | "hang" | "drop" | "truncate"}.
    static ScriptedResponse fromJson(const nlohmann::json& json);
};

/// A request as the server received it.
struct RecordedRequest {
    std::string method;
    std::string path;
    /// Query parameters, decoded.
    std::multimap<std::string, std::string> params;
    /// Header names in lower case.
    std::multimap<std::string, std::string> headers;
    std::string body;
    /// When its last byte had arrived.
    std::chrono::steady_clock::time_point arrivedAt;

    /// The first header of that name (any case), or empty.
    std::string header(std::string_view name) const;
    /// The first parameter of that name, or empty.
    std::string param(std::string_view name) const;
    nlohmann::json toJson(std::chrono::steady_clock::time_point since) const;
};

/// A real HTTP/1.1 server on 127.0.0.1 for tests, benchmarks and people: every request is recorded with
/// its arrival time and answered from the script queued for its path (or for any path), else by the
/// server's own handler. Scripts can answer, delay, hang or drop the connection.
///
/// Besides the served paths it has an admin interface under /_fake/ that is never recorded: GET
/// /_fake/requests (the record as JSON), POST /_fake/script?path=/p (queue one scripted response, body as
/// ScriptedResponse::fromJson), POST /_fake/reset (forget scripts and records). Subclasses add their own
/// admin paths through handleAdmin.
class ScriptedHttpServer {
public:
    using Handler = std::function<ScriptedResponse(const RecordedRequest&)>;

    ScriptedHttpServer();
    virtual ~ScriptedHttpServer();
    ScriptedHttpServer(const ScriptedHttpServer&) = delete;
    ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

    /// Binds 127.0.0.1 at `port` (0 picks a free one) and serves on background threads. Returns the
    /// port, or -1 when it cannot bind.
    int start(int port = 0);
    /// Stops serving; hanging requests are released (their connections close without an answer).
    void stop();

    int port() const noexcept { return m_port; }
    /// "http://127.0.0.1:<port>".
    std::string baseURL() const;

    /// The answer for requests no script claims; by default 404 with an empty body.
    void setHandler(Handler handler);
    /// Queues an answer for the next request to `path` ("" matches any path); scripts for a path go
    /// before scripts for any path, each queue in order.
    void script(std::string path, ScriptedResponse response);
    /// Lets every hanging request go: their connections close without an answer.
    void releaseHangs();
    /// Forgets scripts and recorded requests.
    void reset();

    std::vector<RecordedRequest> requests() const;
    /// How many requests arrived, for one path or ("") all.
    std::size_t requestCount(std::string_view path = {}) const;
    /// Waits (blocking this thread) until at least `count` requests have arrived; false on time-out.
    bool waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;

protected:
    /// Answers an admin request under /_fake/ that the base does not know; none gives 404.
    virtual std::optional<ScriptedResponse> handleAdmin(const RecordedRequest& request);

private:
    void serve(const httplib::Request& request, httplib::Response& response);
    std::optional<ScriptedResponse> takeScript(const std::string& path);
    void deliver(const httplib::Request& request, httplib::Response& response, const ScriptedResponse& scripted);
    void closeConnectionOf(const httplib::Request& request) const;
    static RecordedRequest record(const httplib::Request& request);

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = -1;
    const std::chrono::steady_clock::time_point m_startedAt = std::chrono::steady_clock::now();

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    Handler m_handler;
    std::map<std::string, std::deque<ScriptedResponse>> m_scripts;
    std::vector<RecordedRequest> m_requests;
    std::uint64_t m_hangGeneration = 0;
    bool m_stopping = false;
};

/// Runs a fake from its command line until SIGINT or SIGTERM: binds the port of `--port N` (default 0),
/// prints the port alone on the first line of standard output, and a line for people on standard error.
int runUntilSignalled(ScriptedHttpServer& server, int port, std::string_view description);

/// The value of `--name value` or `--name=value` options, all of them in order.
std::vector<std::string> optionValues(int argc, char** argv, std::string_view name);

} // namespace nimbrel::testing
