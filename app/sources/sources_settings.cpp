#include "app/sources/sources_settings.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace nimbrel {

SourcesSettings::SourcesSettings(const std::vector<PlayerSourceID>& sources) {
    for (const PlayerSourceID id : sources) {
        m_enabled.insert(id.value());
    }
}

std::vector<PlayerSourceID> SourcesSettings::setEnabled(PlayerSourceID id, bool enabled) {
    if (enabled) {
        m_enabled.insert(id.value());
    } else {
        m_enabled.erase(id.value());
    }
    return sources();
}

std::vector<PlayerSourceID> SourcesSettings::sources() const {
    std::vector<PlayerSourceID> ordered;
    for (const PlayerSourceID id : PlayerSourceID::allCases()) {
        if (m_enabled.count(id.value()) != 0) {
            ordered.push_back(id);
        }
    }
    return ordered;
}

void SourcesSettings::beginProbe() {
    m_probing = true;
}

void SourcesSettings::finishProbe(const std::vector<std::pair<PlayerSourceID, NowPlaying>>& readings) {
    m_probing = false;
    m_probed.clear();
    for (const auto& [id, reading] : readings) {
        m_probed.try_emplace(id.value(), reading);
    }
}

std::string SourcesSettings::statusLine(bool enabled, const std::optional<NowPlaying>& reading) {
    if (!enabled) {
        return std::string(kOffStatus);
    }
    if (!reading) {
        return std::string(kNotProbedStatus);
    }
    if (const auto* playing = reading->as<NowPlaying::Playing>()) {
        return "Playing " + playing->track + " — " + playing->artist;
    }
    if (const auto* notPlaying = reading->as<NowPlaying::NotPlaying>()) {
        return "Open, but " + notPlaying->state + ".";
    }
    if (const auto* error = reading->as<NowPlaying::Error>()) {
        return error->detail;
    }
    return std::string(kNotRunningStatus);
}

std::vector<SourcesSettings::Row> SourcesSettings::rows() const {
    std::vector<Row> rows;
    for (const PlayerSourceID id : PlayerSourceID::allCases()) {
        const bool enabled = m_enabled.count(id.value()) != 0;
        const auto probed = m_probed.find(id.value());
        std::optional<NowPlaying> reading;
        if (probed != m_probed.end()) {
            reading = probed->second;
        }
        rows.push_back(
            Row{id, id.displayName(), enabled, statusLine(enabled, reading), enabled && reading && reading->isError()});
    }
    return rows;
}

bool SourcesSettings::openPermissionSettings() {
    // Where desktops let the user change what an app may talk to, most specific first.
    const std::pair<const char*, QStringList> candidates[] = {
        {"gnome-control-center", {QStringLiteral("applications")}},
        {"systemsettings", {QStringLiteral("kcm_flatpak")}},
        {"flatpak", {QStringLiteral("run"), QStringLiteral("com.github.tchx84.Flatseal")}},
    };
    for (const auto& [program, arguments] : candidates) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(program));
        if (!path.isEmpty() && QProcess::startDetached(path, arguments)) {
            return true;
        }
    }
    return false;
}

} // namespace nimbrel
