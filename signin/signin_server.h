#pragma once

#include <memory>
#include <string>

#include "signin/signin_service.h"

namespace httplib {
class Server;
}

namespace nimbrel {

/// The service on a listening socket: HTTP/1.1 through cpp-httplib, every request handed to SigninService,
/// with the size and time limits a public endpoint needs.
class SigninServer {
public:
    /// A server for `service`, which must outlive it.
    explicit SigninServer(SigninService& service);
    ~SigninServer();
    SigninServer(const SigninServer&) = delete;
    SigninServer& operator=(const SigninServer&) = delete;

    /// Binds the address; port 0 picks a free one. Returns the bound port, or -1 when binding failed.
    int bind(const std::string& host, int port);
    /// Serves until stop(); returns false when the server could not run.
    bool run();
    /// Ends run() from any thread (a signal watcher, a test).
    void stop();

private:
    SigninService& m_service;
    std::unique_ptr<httplib::Server> m_server;
};

} // namespace nimbrel
