#include "app/editors/behavior_settings_view.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "app/editors/behavior_settings.h"
#include "app/editors/settings_widgets.h"
#include "app/engine/engine_view_model.h"

namespace nimbrel {
namespace {

using settings_widgets::noteLabel;
using settings_widgets::qt;

/// A spin box that steps along the poll's grid of 30 s, from whatever value the file held.
class PollStepper final : public QSpinBox {
public:
    explicit PollStepper(QWidget* parent)
        : QSpinBox(parent) {
        setKeyboardTracking(false); // typed digits apply once, when editing ends
        setSuffix(QStringLiteral("s"));
        setMinimum(static_cast<int>(BehaviorSettings::kMinimumPoll));
        setMaximum(static_cast<int>(BehaviorSettings::kMaximumPoll));
        setSingleStep(static_cast<int>(BehaviorSettings::kPollStep));
    }

    void stepBy(int steps) override { setValue(static_cast<int>(BehaviorSettings::steppedPoll(value(), steps))); }

protected:
    StepEnabled stepEnabled() const override {
        StepEnabled enabled = StepNone;
        if (value() > BehaviorSettings::kMinimumPoll) {
            enabled |= StepDownEnabled;
        }
        if (value() < BehaviorSettings::kMaximumPoll) {
            enabled |= StepUpEnabled;
        }
        return enabled;
    }
};

} // namespace

BehaviorSettingsView::BehaviorSettingsView(EngineViewModel& engine, QWidget* parent)
    : QWidget(parent)
    , m_engine(engine) {
    auto* layout = new QVBoxLayout(this);

    auto* stops = new QGroupBox(qt(BehaviorSettings::kWhenMusicStopsLabel), this);
    auto* stopsLayout = new QVBoxLayout(stops);
    m_whenMusicStops = new QComboBox(stops);
    m_whenMusicStops->setObjectName(QStringLiteral("when-music-stops"));
    m_whenMusicStops->setAccessibleName(qt(BehaviorSettings::kWhenMusicStopsLabel));
    for (const WhenMusicStops choice : WhenMusicStops::allCases()) {
        m_whenMusicStops->addItem(qt(choice.displayName()));
    }
    m_summary = noteLabel(QString(), stops);
    m_summary->setObjectName(QStringLiteral("summary"));
    auto* pickerRow = new QHBoxLayout;
    pickerRow->addWidget(m_whenMusicStops);
    pickerRow->addStretch();
    stopsLayout->addLayout(pickerRow);
    stopsLayout->addWidget(m_summary);
    layout->addWidget(stops);

    auto* poll = new QGroupBox(this);
    auto* pollLayout = new QVBoxLayout(poll);
    m_pollLabel = new QLabel(poll);
    m_pollLabel->setObjectName(QStringLiteral("poll-label"));
    m_poll = new PollStepper(poll);
    m_poll->setObjectName(QStringLiteral("poll"));
    m_pollLabel->setBuddy(m_poll);
    auto* pollRow = new QHBoxLayout;
    pollRow->addWidget(m_pollLabel);
    pollRow->addWidget(m_poll);
    pollRow->addStretch();
    pollLayout->addLayout(pollRow);
    pollLayout->addWidget(noteLabel(qt(BehaviorSettings::kPollNote), poll));
    layout->addWidget(poll);
    layout->addStretch();

    connect(m_whenMusicStops, &QComboBox::activated, this, &BehaviorSettingsView::choose);
    connect(m_poll, &QSpinBox::valueChanged, this, &BehaviorSettingsView::pollChanged);
    connect(&m_engine, &EngineViewModel::configChanged, this, &BehaviorSettingsView::refresh);
    refresh();
}

void BehaviorSettingsView::refresh() {
    const VibeConfig& config = m_engine.config();
    const auto cases = WhenMusicStops::allCases();
    for (std::size_t index = 0; index < cases.size(); ++index) {
        if (cases[index] == config.whenMusicStops) {
            const QSignalBlocker quiet(m_whenMusicStops);
            m_whenMusicStops->setCurrentIndex(static_cast<int>(index));
        }
    }
    m_summary->setText(qt(config.whenMusicStops.summary()));

    const std::int64_t shown = BehaviorSettings::shownPoll(config.pollSeconds);
    m_pollLabel->setText(QString::fromStdString(BehaviorSettings::pollLabel(shown)));
    const QSignalBlocker quiet(m_poll);
    // A longer interval from the file stays shown as it is; the stepper only offers the way down from it.
    m_poll->setMaximum(static_cast<int>(std::max<std::int64_t>(
        BehaviorSettings::kMaximumPoll, std::min<std::int64_t>(shown, std::numeric_limits<int>::max()))));
    m_poll->setValue(static_cast<int>(std::min<std::int64_t>(shown, std::numeric_limits<int>::max())));
    m_poll->setAccessibleName(m_pollLabel->text());
}

void BehaviorSettingsView::choose(int index) {
    const auto cases = WhenMusicStops::allCases();
    if (index < 0 || static_cast<std::size_t>(index) >= cases.size()) {
        return;
    }
    if (std::optional<VibeConfig> changed =
            BehaviorSettings::withWhenMusicStops(m_engine.config(), cases[static_cast<std::size_t>(index)])) {
        m_engine.applyConfig(std::move(*changed), false);
    }
    refresh();
}

void BehaviorSettingsView::pollChanged(int value) {
    const std::int64_t shown = BehaviorSettings::shownPoll(m_engine.config().pollSeconds);
    if (value != shown) {
        // Steps land on the grid already; typed digits are snapped onto it.
        const bool onGrid = value % BehaviorSettings::kPollStep == 0 && value >= BehaviorSettings::kMinimumPoll &&
                            value <= BehaviorSettings::kMaximumPoll;
        const std::int64_t seconds = onGrid ? value : BehaviorSettings::enteredPoll(value);
        if (std::optional<VibeConfig> changed = BehaviorSettings::withPollSeconds(m_engine.config(), seconds)) {
            m_engine.applyConfig(std::move(*changed), false);
        }
    }
    refresh();
}

} // namespace nimbrel
