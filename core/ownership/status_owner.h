#pragma once

namespace nimbrel {

/// Whose status is on Slack: the one the program last wrote, nobody's (there is none), or somebody else's.
enum class StatusOwner { ours, none, foreign };

} // namespace nimbrel
