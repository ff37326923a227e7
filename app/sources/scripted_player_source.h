#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "app/sources/now_playing_source.h"
#include "app/sources/player_bridge.h"
#include "app/sources/player_descriptor.h"

namespace nimbrel {

/// Reads one player through its bridge: running check first (so a player is never started by asking it),
/// then the reading, whose answer goes through the same parser as any player script's. Shared between the
/// reading threads: reads may overlap; only the observing state is guarded.
class ScriptedPlayerSource final : public NowPlayingSource {
public:
    /// The largest cover file read from disk; a bigger one gives no artwork.
    static constexpr std::int64_t kMaxArtworkFileBytes = 10 * 1024 * 1024;

    ScriptedPlayerSource(const PlayerDescriptor& descriptor, std::unique_ptr<PlayerBridge> bridge);
    ~ScriptedPlayerSource() override;
    ScriptedPlayerSource(const ScriptedPlayerSource&) = delete;
    ScriptedPlayerSource& operator=(const ScriptedPlayerSource&) = delete;

    PlayerSourceID id() const override { return m_descriptor.id; }
    NowPlaying read() override;
    void startObserving(ChangeHandler handler) override;
    void stopObserving() override;
    std::optional<Artwork> artwork() override;
    void perform(PlayerCommand command) override;

    const PlayerDescriptor& descriptor() const noexcept { return m_descriptor; }

    /// The reading's detail when the user refused this program access to the player.
    static std::string permissionDetail(std::string_view displayName);
    /// The reading's detail when the bridge could not put the question.
    static std::string notBuiltDetail(std::string_view displayName);
    /// The reading's detail for any other refusal.
    static std::string cannotReadDetail(std::string_view displayName, std::string_view message);
    /// The cover that an art address stands for: https addresses as they are (Spotify's broken
    /// open.spotify.com/image/ host rewritten), local files as their bytes (up to kMaxArtworkFileBytes),
    /// anything else none.
    static std::optional<Artwork> artworkFromAddress(std::string_view address);

private:
    PlayerDescriptor m_descriptor;
    std::unique_ptr<PlayerBridge> m_bridge;
    std::mutex m_observingMutex;
    bool m_observing = false;
};

} // namespace nimbrel
