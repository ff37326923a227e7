#include "tests/support/http/scripted_http_server.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace nimbrel::testing {
namespace {

constexpr std::string_view kAdminPrefix = "/_fake/";

int portOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) {
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    }
    if (address.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    }
    return -1;
}

std::string lowercased(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

} // namespace

ScriptedResponse ScriptedResponse::json(int status, const nlohmann::json& body) {
    return text(status, body.dump(), "application/json; charset=utf-8");
}

ScriptedResponse ScriptedResponse::text(int status, std::string body, std::string contentType) {
    ScriptedResponse response;
    response.status = status;
    response.body = std::move(body);
    response.headers.emplace_back("Content-Type", std::move(contentType));
    return response;
}

ScriptedResponse ScriptedResponse::hang() {
    ScriptedResponse response;
    response.behaviour = Behaviour::hang;
    return response;
}

ScriptedResponse ScriptedResponse::drop() {
    ScriptedResponse response;
    response.behaviour = Behaviour::drop;
    return response;
}

ScriptedResponse ScriptedResponse::withHeader(std::string name, std::string value) && {
    headers.emplace_back(std::move(name), std::move(value));
    return std::move(*this);
}

ScriptedResponse ScriptedResponse::after(std::chrono::milliseconds wait) && {
    delay = wait;
    return std::move(*this);
}

ScriptedResponse ScriptedResponse::fromJson(const nlohmann::json& json) {
    ScriptedResponse response;
    response.status = json.value("status", 200);
    if (const auto headers = json.find("headers"); headers != json.end() && headers->is_object()) {
        for (const auto& [name, value] : headers->items()) {
            response.headers.emplace_back(name, value.is_string() ? value.get<std::string>() : value.dump());
        }
    }
    if (const auto body = json.find("body"); body != json.end()) {
        response.body = body->is_string() ? body->get<std::string>() : body->dump();
    }
    response.delay = std::chrono::milliseconds{json.value("delay_ms", 0)};
    const std::string behaviour = json.value("behaviour", "answer");
    if (behaviour == "hang") {
        response.behaviour = Behaviour::hang;
    } else if (behaviour == "drop") {
        response.behaviour = Behaviour::drop;
    } else if (behaviour == "truncate") {
        response.behaviour = Behaviour::truncate;
    }
    return response;
}

std::string RecordedRequest::header(std::string_view name) const {
    const auto found = headers.find(lowercased(name));
    return found != headers.end() ? found->second : std::string();
}

std::string RecordedRequest::param(std::string_view name) const {
    const auto found = params.find(std::string(name));
    return found != params.end() ? found->second : std::string();
}

nlohmann::json RecordedRequest::toJson(std::chrono::steady_clock::time_point since) const {
    nlohmann::json headerObject = nlohmann::json::object();
    for (const auto& [name, value] : headers) {
        headerObject[name] = value;
    }
    nlohmann::json paramObject = nlohmann::json::object();
    for (const auto& [name, value] : params) {
        paramObject[name] = value;
    }
    const auto elapsed = std::chrono::duration<double, std::milli>(arrivedAt - since).count();
    return {{"method", method},        {"path", path}, {"params", paramObject},
            {"headers", headerObject}, {"body", body}, {"arrived_ms", elapsed}};
}

ScriptedHttpServer::ScriptedHttpServer()
    : m_server(std::make_unique<httplib::Server>()) {
    // Real servers answer small requests at once; without this, Nagle's algorithm meeting the client's
    // delayed acknowledgement adds ~40 ms to a second request on the same connection.
    m_server->set_tcp_nodelay(true);
    const auto serve = [this](const httplib::Request& request, httplib::Response& response) {
        this->serve(request, response);
    };
    m_server->Get(".*", serve);
    m_server->Post(".*", serve);
    m_server->Put(".*", serve);
    m_server->Patch(".*", serve);
    m_server->Delete(".*", serve);
    m_server->Options(".*", serve);
    m_server->set_keep_alive_timeout(2);
    m_server->set_payload_max_length(16u << 20);
}

ScriptedHttpServer::~ScriptedHttpServer() {
    stop();
}

int ScriptedHttpServer::start(int port) {
    const int bound =
        port == 0 ? m_server->bind_to_any_port("127.0.0.1") : (m_server->bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound < 0) {
        return -1;
    }
    m_port = bound;
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    while (!m_server->is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds{1});
    }
    return m_port;
}

void ScriptedHttpServer::stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_server->stop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

std::string ScriptedHttpServer::baseURL() const {
    return "http://127.0.0.1:" + std::to_string(m_port);
}

void ScriptedHttpServer::setHandler(Handler handler) {
    const std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
}

void ScriptedHttpServer::script(std::string path, ScriptedResponse response) {
    const std::lock_guard lock(m_mutex);
    m_scripts[std::move(path)].push_back(std::move(response));
}

void ScriptedHttpServer::releaseHangs() {
    {
        const std::lock_guard lock(m_mutex);
        ++m_hangGeneration;
    }
    m_changed.notify_all();
}

void ScriptedHttpServer::reset() {
    const std::lock_guard lock(m_mutex);
    m_scripts.clear();
    m_requests.clear();
}

std::vector<RecordedRequest> ScriptedHttpServer::requests() const {
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

std::size_t ScriptedHttpServer::requestCount(std::string_view path) const {
    const std::lock_guard lock(m_mutex);
    if (path.empty()) {
        return m_requests.size();
    }
    return static_cast<std::size_t>(std::count_if(
        m_requests.begin(), m_requests.end(), [&](const RecordedRequest& request) { return request.path == path; }));
}

bool ScriptedHttpServer::waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_requests.size() >= count; });
}

std::optional<ScriptedResponse> ScriptedHttpServer::handleAdmin(const RecordedRequest& /*request*/) {
    return std::nullopt;
}

RecordedRequest ScriptedHttpServer::record(const httplib::Request& request) {
    RecordedRequest recorded;
    recorded.method = request.method;
    recorded.path = request.path;
    for (const auto& [name, value] : request.params) {
        recorded.params.emplace(name, value);
    }
    for (const auto& [name, value] : request.headers) {
        std::string lower = lowercased(name);
        // httplib adds the peer's address as headers of its own; they were not sent.
        if (lower == "remote_addr" || lower == "remote_port" || lower == "local_addr" || lower == "local_port") {
            continue;
        }
        recorded.headers.emplace(std::move(lower), value);
    }
    recorded.body = request.body;
    recorded.arrivedAt = std::chrono::steady_clock::now();
    return recorded;
}

std::optional<ScriptedResponse> ScriptedHttpServer::takeScript(const std::string& path) {
    for (const std::string& key : {path, std::string()}) {
        const auto queue = m_scripts.find(key);
        if (queue != m_scripts.end() && !queue->second.empty()) {
            ScriptedResponse response = std::move(queue->second.front());
            queue->second.pop_front();
            return response;
        }
    }
    return std::nullopt;
}

void ScriptedHttpServer::serve(const httplib::Request& request, httplib::Response& response) {
    RecordedRequest recorded = record(request);
    if (recorded.path.starts_with(kAdminPrefix)) {
        std::optional<ScriptedResponse> answer;
        if (recorded.path == "/_fake/requests") {
            nlohmann::json list = nlohmann::json::array();
            for (const RecordedRequest& seen : requests()) {
                list.push_back(seen.toJson(m_startedAt));
            }
            answer = ScriptedResponse::json(200, list);
        } else if (recorded.path == "/_fake/script" && recorded.method == "POST") {
            const nlohmann::json body = nlohmann::json::parse(recorded.body, nullptr, false);
            if (body.is_discarded() || !body.is_object()) {
                answer = ScriptedResponse::json(400, {{"error", "the body must be a JSON object"}});
            } else {
                script(recorded.param("path"), ScriptedResponse::fromJson(body));
                answer = ScriptedResponse::json(200, {{"ok", true}});
            }
        } else if (recorded.path == "/_fake/reset" && recorded.method == "POST") {
            reset();
            answer = ScriptedResponse::json(200, {{"ok", true}});
        } else {
            answer = handleAdmin(recorded);
        }
        deliver(request, response, answer.value_or(ScriptedResponse::json(404, {{"error", "no such admin path"}})));
        return;
    }

    std::optional<ScriptedResponse> scripted;
    Handler handler;
    {
        const std::lock_guard lock(m_mutex);
        scripted = takeScript(recorded.path);
        handler = m_handler;
        m_requests.push_back(recorded);
    }
    m_changed.notify_all();
    if (!scripted) {
        scripted = handler ? handler(recorded) : ScriptedResponse::text(404, "");
    }
    deliver(request, response, *scripted);
}

void ScriptedHttpServer::deliver(const httplib::Request& request, httplib::Response& response,
                                 const ScriptedResponse& scripted) {
    using Behaviour = ScriptedResponse::Behaviour;
    {
        std::unique_lock lock(m_mutex);
        const std::uint64_t generation = m_hangGeneration;
        if (scripted.behaviour == Behaviour::hang) {
            m_changed.wait(lock, [&] { return m_stopping || m_hangGeneration != generation; });
        } else if (scripted.delay.count() > 0) {
            m_changed.wait_for(lock, scripted.delay, [&] { return m_stopping; });
        }
    }
    if (scripted.behaviour == Behaviour::hang || scripted.behaviour == Behaviour::drop) {
        closeConnectionOf(request);
        return;
    }
    response.status = scripted.status;
    std::string contentType = "text/plain";
    for (const auto& [name, value] : scripted.headers) {
        if (lowercased(name) == "content-type") {
            contentType = value;
        } else {
            response.set_header(name, value);
        }
    }
    if (scripted.behaviour == Behaviour::truncate) {
        const std::string body = scripted.body;
        response.set_content_provider(body.size(), contentType,
                                      [body](std::size_t, std::size_t, httplib::DataSink& sink) {
                                          sink.write(body.data(), body.size() / 2);
                                          return false; // ends the exchange with the body half sent
                                      });
        return;
    }
    response.set_content(scripted.body, contentType);
}

// httplib gives a handler no way to drop its connection, so find the socket by its two ends and shut it:
// the client then sees the connection close without an answer.
void ScriptedHttpServer::closeConnectionOf(const httplib::Request& request) const {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ignored)) {
        int fd = -1;
        try {
            fd = std::stoi(entry.path().filename().string());
        } catch (const std::exception&) {
            continue;
        }
        sockaddr_storage local{};
        sockaddr_storage peer{};
        socklen_t localSize = sizeof local;
        socklen_t peerSize = sizeof peer;
        if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0 ||
            ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0) {
            continue;
        }
        if (portOf(local) == m_port && portOf(peer) == request.remote_port) {
            ::shutdown(fd, SHUT_RDWR);
            return;
        }
    }
}

int runUntilSignalled(ScriptedHttpServer& server, int port, std::string_view description) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    // Blocked before the server's threads start, so they inherit the mask and only sigwait sees them.
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    if (server.start(port) < 0) {
        std::cerr << "cannot listen on 127.0.0.1:" << port << "\n";
        return 1;
    }
    std::cout << server.port() << std::endl;
    std::cerr << description << " on " << server.baseURL() << " (admin: " << server.baseURL()
              << "/_fake/requests); Ctrl-C stops it" << std::endl;
    int received = 0;
    sigwait(&signals, &received);
    server.stop();
    return 0;
}

std::vector<std::string> optionValues(int argc, char** argv, std::string_view name) {
    std::vector<std::string> values;
    const std::string flag = "--" + std::string(name);
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == flag && i + 1 < argc) {
            values.emplace_back(argv[++i]);
        } else if (argument.starts_with(flag + "=")) {
            values.emplace_back(argument.substr(flag.size() + 1));
        }
    }
    return values;
}

} // namespace nimbrel::testing
