#include "app/engine/connect_text.h"

#include <cstdio>

#include "app/clients/overloaded.h"
#include "core/text/graphemes.h"

namespace nimbrel {
namespace {

// Quoted and escaped the way a debugger prints text, so a refusal cannot forge further log lines.
std::string debugQuoted(std::string_view text) {
    const std::string_view kept = Graphemes::prefix(text, ConnectText::kLoggedTextLength);
    std::string out = "\"";
    for (const char c : kept) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u{%x}", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    if (kept.size() < text.size()) {
        out += Graphemes::kEllipsis;
    }
    return out + "\"";
}

} // namespace

std::string ConnectText::callbackRefused(const SlackAuthError& error) {
    return "connect: " +
           std::visit(Overloaded{
                          [](const SlackAuthError::Slack& s) { return "slack(" + debugQuoted(s.text) + ")"; },
                          [](const SlackAuthError::AccessDenied&) { return std::string("accessDenied"); },
                          [](const SlackAuthError::MalformedCallback&) { return std::string("malformedCallback"); },
                          [](const SlackAuthError::InvalidState&) { return std::string("invalidState"); },
                      },
                      error.value());
}

std::string ConnectText::claimFailed(std::string_view description) {
    return "connect: claim failed \u2014 " + std::string(description);
}

std::string ConnectText::connected(std::string_view teamID) {
    return "connect: connected to team " + std::string(teamID);
}

std::string ConnectText::refreshed(std::string_view teamID) {
    return "connect: refreshed team " + std::string(teamID);
}

std::string ConnectText::browserFallback(std::string_view reason) {
    return "connect: in-app session unavailable (" + std::string(reason) +
           ") \u2014 falling back to the default browser";
}

std::string ConnectText::noVerifier(std::string_view reason) {
    return "connect: couldn\u2019t make a verifier \u2014 " + std::string(reason);
}

std::string ConnectText::tokenRevoked(std::string_view teamID) {
    return "disconnect: token revoked for " + std::string(teamID);
}

std::string ConnectText::revokeFailed(std::string_view teamID, std::string_view error) {
    return "disconnect: auth.revoke failed for " + std::string(teamID) + " \u2014 " + std::string(error);
}

std::string ConnectText::deleteFailed(std::string_view teamID, std::string_view error) {
    return "disconnect: Keyring delete failed for " + std::string(teamID) + " \u2014 " + std::string(error);
}

} // namespace nimbrel
