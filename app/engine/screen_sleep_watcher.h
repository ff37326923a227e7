#pragma once

#include <functional>

namespace nimbrel {

/// Tells the engine when the screens go to sleep and wake up, so the cat stops animating unseen.
class ScreenSleepWatcher {
public:
    using Handler = std::function<void(bool asleep)>;
    virtual ~ScreenSleepWatcher() = default;
    /// Begins watching; `onChange` is called on the main thread, only on a change.
    virtual void start(Handler onChange) = 0;
    /// No calls after this returns.
    virtual void stop() = 0;
};

} // namespace nimbrel
