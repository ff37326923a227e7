#pragma once

#include <QString>
#include <QUrl>
#include <filesystem>
#include <optional>

namespace nimbrel {

/// The user defaults: settings kept by QSettings (organisation "quillmoor", application "nimbrel", so
/// ~/.config/quillmoor/nimbrel.conf), each overridden by an environment variable of the same name so
/// that tests, benchmarks and a systemd unit can set them without touching the user's file.
struct UserDefaults final {
    UserDefaults() = delete;

    static constexpr const char* kOrganization = "quillmoor";
    static constexpr const char* kApplication = "nimbrel";

    static constexpr const char* kDebugLogging = "NimbrelDebugLogging";
    static constexpr const char* kAPIBaseURL = "NimbrelAPIBaseURL";
    static constexpr const char* kSlackBaseURL = "NimbrelSlackBaseURL";
    static constexpr const char* kITunesBaseURL = "NimbrelITunesBaseURL";

    /// The file the settings live in (normally ~/.config/quillmoor/nimbrel.conf).
    static std::filesystem::path settingsFile();
    /// The text of a default: the environment variable when set, else the stored setting, else none.
    static std::optional<QString> text(const char* name);
    /// A yes/no default: "1", "true" and "yes" (any case) are true; anything else, or nothing, is false.
    static bool flag(const char* name);
    /// A default that names a web address: trimmed, and only when it parses as an http or https address
    /// with a host; otherwise none, so the caller falls back to its built-in address.
    static std::optional<QUrl> httpAddress(const char* name);
};

} // namespace nimbrel
