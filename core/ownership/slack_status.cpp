#include "core/ownership/slack_status.h"

#include "core/text/whitespace.h"

namespace nimbrel {

bool SlackStatus::isEmpty() const {
    return Whitespace::trimmed(text).empty() && Whitespace::trimmed(emoji).empty();
}

} // namespace nimbrel
