#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/doctor_report.h"
#include "app/storage/app_folder.h"

namespace nimbrel::cli {

/// Reads the program's files the way the program reads them at start-up, without writing anything: the
/// configuration in effect (config.json, or the built-in vibes the program would fall back to), the state
/// with own snapshots discarded, and the genre cache.
DoctorInputs gatherDoctorInputs(const AppFolder& folder, Instant now);

/// `nimbrel doctor`: where the files are, what the configuration says, each workspace's ownership record and
/// what will happen to its status when the music stops, the recent statuses and the genre cache.
struct DoctorCommand final {
    DoctorCommand() = delete;

    static constexpr std::string_view kName = "doctor";
    static constexpr std::string_view kSummary =
        "Show what Nimbrel remembers per workspace, and why a status was or wasn\u2019t put back";
    static constexpr std::string_view kHelp =
        "Usage: nimbrel doctor [--json]\n"
        "\n"
        "Shows where Nimbrel keeps its files, a summary of the configuration, and for every Slack\n"
        "workspace whose status is up as far as Nimbrel knows, which status it saved before taking\n"
        "over, until when that status can be put back, and what happens when the music stops. Also\n"
        "lists the statuses Nimbrel set recently (it recognises them as its own) and the genre cache.\n"
        "Reads the files as the program does at start-up and changes nothing.\n"
        "\n"
        "  --json       print one JSON object instead of text\n"
        "  -h, --help   show this help\n"
        "\n"
        "Exit status: 0, or 2 for a usage error.\n";

    static constexpr int kExitDone = 0;
    static constexpr int kExitUsage = 2;

    /// Runs the command on its arguments (without the command's name); returns the exit status.
    static int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
};

/// The command as the dispatch table calls it.
int runDoctor(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace nimbrel::cli
