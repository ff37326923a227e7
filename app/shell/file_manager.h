#pragma once

#include <filesystem>

#include "app/log/log_sink.h"

namespace nimbrel {

/// Shows `file` selected in the user's file manager through the freedesktop FileManager1 interface
/// (Nautilus, Dolphin, Nemo, Caja, Thunar offer it); where none answers, opens the folder that holds it.
/// Returns at once: the file manager is asked asynchronously, and failures are logged.
void showInFileManager(const std::filesystem::path& file, const LogSink& log = appLogSink());

} // namespace nimbrel
