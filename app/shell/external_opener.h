#pragma once

#include "app/log/log_sink.h"

class QUrl;

namespace nimbrel {

/// Hands `url` to the desktop's handler for it (the browser for web pages, the file manager for folders)
/// through `xdg-open`, started detached so the program neither waits for nor reaps it. Unlike
/// QDesktopServices this needs no Qt GUI, so the headless program can open links too. Returns whether
/// `xdg-open` started; a refusal or a failure to start is logged. What the handler does afterwards is
/// not known here.
bool openExternally(const QUrl& url, const LogSink& log = appLogSink());

} // namespace nimbrel
