#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/cli/doctor_report.h"
#include "app/storage/app_folder.h"

namespace nimbrel::cli {

/// Reads the program's files the way the program reads them at start-up, without writing anything: the
/// configuration in effect (config.json, or the built-in vibes the program would fall back to), the state
/// with own snapshots discarded, and the genre cache.
DoctorInputs gatherDoctorInputs(const AppFolder& folder, Instant now);

/// `nimbrel doctor [--json]`: where the files are, what the configuration says, each workspace's ownership
/// record and what will happen to its status when the music stops, the recent statuses and the genre
/// cache. Exit status 0, or 2 for a usage error.
int runDoctor(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace nimbrel::cli
