#pragma once

#include <QPainterPath>

namespace nimbrel {

/// The island's symbols, drawn as paths in a square of side 1 (y grows downwards), so that they look the
/// same on every desktop whatever its icon theme. Scale them to the point size wanted.
struct IslandSymbols {
    IslandSymbols() = delete;

    enum class Symbol {
        musicNote,
        backwardFill,
        playFill,
        pauseFill,
        forwardFill,
        antennaRadiowaves,
        antennaRadiowavesSlash,
    };

    /// Filled outline of the symbol.
    static QPainterPath path(Symbol symbol);
};

} // namespace nimbrel
