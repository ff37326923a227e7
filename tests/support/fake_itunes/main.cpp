#include <cstdlib>

#include "tests/support/fake_itunes/fake_itunes_server.h"

using namespace nimbrel::testing;

// nimbrel-fake-itunes [--port N] [--artist "NAME=GENRE"]… [--artist NAME]… [--searches-per-minute N]
// An artist given without "=" is known but has no genre. Point the program at it with
// NimbrelITunesBaseURL=http://127.0.0.1:N.
int main(int argc, char** argv) {
    FakeITunesServer server;
    for (const std::string& option : optionValues(argc, argv, "artist")) {
        const auto equals = option.find('=');
        if (equals == std::string::npos) {
            server.addArtist(option, std::nullopt);
        } else {
            server.addArtist(option.substr(0, equals), option.substr(equals + 1));
        }
    }
    for (const std::string& option : optionValues(argc, argv, "searches-per-minute")) {
        server.setSearchesPerMinute(std::atoi(option.c_str()));
    }
    const std::vector<std::string> ports = optionValues(argc, argv, "port");
    return runUntilSignalled(server, ports.empty() ? 0 : std::atoi(ports.back().c_str()), "fake iTunes Search API");
}
