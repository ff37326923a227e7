#pragma once

#include <QUuid>

#include "core/config/vibe.h"

namespace nimbrel {

/// A vibe as the editor holds it: with an identity of its own, made fresh whenever the vibe enters the
/// editor, so that renaming keeps the selection, the list row and the genre mapping. Never stored.
struct IdentifiedVibe {
    QUuid id;
    Vibe vibe;

    friend bool operator==(const IdentifiedVibe&, const IdentifiedVibe&) = default;
};

} // namespace nimbrel
