#include "app/clients/transport_error.h"

namespace nimbrel {

bool TransportError::isRetryable() const noexcept {
    switch (kind) {
    case Kind::timedOut:
    case Kind::cannotConnect:
    case Kind::hostNotFound:
    case Kind::connectionLost:
    case Kind::notConnected:
    case Kind::secureConnectionFailed:
        return true;
    case Kind::bodyTooLarge:
    case Kind::notHttp:
    case Kind::other:
        return false;
    }
    return false;
}

} // namespace nimbrel
