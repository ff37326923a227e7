#include "signin/signin_server.h"

#include <httplib.h>

namespace nimbrel {

namespace {

constexpr time_t kReadTimeoutSeconds = 10;
constexpr time_t kWriteTimeoutSeconds = 10;
constexpr time_t kKeepAliveSeconds = 5;

} // namespace

SigninServer::SigninServer(SigninService& service)
    : m_service(service)
    , m_server(std::make_unique<httplib::Server>()) {
    const auto serve = [this](const httplib::Request& request, httplib::Response& response) {
        std::string forwardedFor;
        const std::size_t hops = request.get_header_value_count("X-Forwarded-For");
        for (std::size_t i = 0; i < hops; ++i) {
            forwardedFor += (i == 0 ? "" : ",") + request.get_header_value("X-Forwarded-For", i);
        }
        const SigninResponse answer = m_service.handle(
            SigninRequest{request.method, request.target, request.body, request.remote_addr, forwardedFor});
        response.status = answer.status;
        for (const auto& [name, value] : answer.headers) {
            response.set_header(name, value);
        }
        response.set_content(answer.body, answer.contentType.c_str());
    };
    // Every method reaches the service, which answers unknown ones itself (405 or 404).
    m_server->Get(".*", serve);
    m_server->Post(".*", serve);
    m_server->Put(".*", serve);
    m_server->Patch(".*", serve);
    m_server->Delete(".*", serve);
    m_server->Options(".*", serve);
    // Bodies beyond the limit are refused (413) before they are read into memory.
    m_server->set_payload_max_length(SigninService::kMaxBodyBytes);
    m_server->set_read_timeout(kReadTimeoutSeconds, 0);
    m_server->set_write_timeout(kWriteTimeoutSeconds, 0);
    m_server->set_keep_alive_timeout(kKeepAliveSeconds);
    m_server->set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr) { response.status = 500; });
}

SigninServer::~SigninServer() = default;

int SigninServer::bind(const std::string& host, int port) {
    if (port == 0) {
        return m_server->bind_to_any_port(host);
    }
    return m_server->bind_to_port(host, port) ? port : -1;
}

bool SigninServer::run() {
    return m_server->listen_after_bind();
}

void SigninServer::stop() {
    m_server->stop();
}

} // namespace nimbrel
