#pragma once

namespace nimbrel {

/// The transport commands a player can be sent.
enum class PlayerCommand { playPause, next, previous };

} // namespace nimbrel
