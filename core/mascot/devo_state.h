#pragma once

namespace nimbrel {

/// What the cat shows: music playing, music paused or stopped, no Slack workspace to post to, or an error.
enum class DevoState { playing, paused, notConnected, error };

} // namespace nimbrel
