#include "app/engine/screen_sleep_watcher.h"

namespace nimbrel {

// Out of line, so the interface's vtable lives in one object file.
ScreenSleepWatcher::~ScreenSleepWatcher() = default;

} // namespace nimbrel
