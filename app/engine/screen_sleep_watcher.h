#pragma once

#include <functional>

namespace nimbrel {

/// Tells the engine when the screens go to sleep and when they wake, so that nothing animates on a dark
/// screen. The engine depends on this interface only; the desktop build plugs in the D-Bus watcher.
class ScreenSleepWatcher {
public:
    /// Called with true when the screens went to sleep, with false when they woke.
    using Handler = std::function<void(bool asleep)>;

    virtual ~ScreenSleepWatcher();

    /// Begins watching, counting the screens as awake until told otherwise. The handler is called on the
    /// main thread, and only when the screens' state changes. Starting again restarts the watch.
    virtual void start(Handler onChange) = 0;
    /// Stops watching; the handler is not called after this returns. Does nothing when not started.
    virtual void stop() = 0;

protected:
    ScreenSleepWatcher() = default;
    ScreenSleepWatcher(const ScreenSleepWatcher&) = default;
    ScreenSleepWatcher(ScreenSleepWatcher&&) = default;
    ScreenSleepWatcher& operator=(const ScreenSleepWatcher&) = default;
    ScreenSleepWatcher& operator=(ScreenSleepWatcher&&) = default;
};

} // namespace nimbrel
