#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariantList>
#include <chrono>
#include <cstdint>
#include <string_view>

namespace nimbrel {

/// Calls the running instance's control interface, for the commands and for a second copy of the program.
class ControlClient {
public:
    /// What every command says when there is no instance to drive.
    static constexpr std::string_view kNotRunning =
        "Nimbrel isn\u2019t running \u2014 start it with nimbrel or nimbrel --headless.";
    /// How long a call waits for an instance that owns the name but is still building its engine.
    static constexpr std::chrono::seconds kStartingGrace{5};

    explicit ControlClient(QDBusConnection bus);

    /// Whether an instance owns the name.
    bool isRunning() const;
    /// Its process id; 0 when none runs or the bus does not say.
    std::uint32_t pid() const;
    /// Calls `method` and waits for the answer (an error message when it failed). An instance that has
    /// the name but not yet its control object is waited for, up to kStartingGrace.
    QDBusMessage call(const QString& method, const QVariantList& arguments = {},
                      std::chrono::milliseconds timeout = std::chrono::seconds{25}) const;
    /// Waits until no instance owns the name; whether that happened within `limit`.
    bool waitUntilGone(std::chrono::milliseconds limit) const;

private:
    QDBusConnection m_bus;
};

} // namespace nimbrel
