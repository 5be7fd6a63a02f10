#include "shell/DesktopApp.h"

#include "ball/FloatingPanel.h"
#include "ball/PanelPlacement.h"
#include "ball/SpeedView.h"
#include "common/NotificationCenter.h"
#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "shell/LaunchAtLogin.h"
#include "traffic/core/TrafficRecorder.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace {

std::optional<QRect> primaryAvailableGeometry() {
    if (QScreen* screen = QGuiApplication::primaryScreen())
        return screen->availableGeometry();
    return std::nullopt;
}

} // namespace

DesktopApp::DesktopApp(const Clock& clock)
    : m_sampler(clock),
      m_alert(clock, Notifier::system(), [] { return QApplication::activeWindow() != nullptr; }),
      m_planAlert(clock, Notifier::system(),
                  []() -> const TrafficData& { return TrafficRecorder::shared().data(); }) {}

DesktopApp::~DesktopApp() {
    delete m_panel;
}

void DesktopApp::start() {
    QGuiApplication::setQuitOnLastWindowClosed(false);

    const QRect frame = PanelPlacement::initialFrame(
        UserDefaults::stringValue(PreferencesCatalogue::kWidgetFrame), primaryAvailableGeometry());
    m_panel = new FloatingPanel(frame);
    m_view = new SpeedView;
    m_panel->setContentView(m_view);
    m_view->hostPanel = m_panel;

    TrafficRecorder& recorder = TrafficRecorder::shared();
    recorder.startTimers();
    connect(qApp, &QCoreApplication::aboutToQuit, &recorder, &TrafficRecorder::stopAndSave,
            Qt::UniqueConnection);

    m_alert.ensureNotificationAuth();
    m_planAlert.ensureNotificationAuth();
    connect(&recorder, &TrafficRecorder::minuteSaved, this, [this] { m_planAlert.check(); });

    m_sampler.setBaseline(readInterfaceCounters());
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &DesktopApp::tick);
    m_timer.start();

    NotificationCenter& center = NotificationCenter::instance();
    center.observe(PreferencesCatalogue::kAlertThresholdsChanged, this,
                   [this](const QVariant&) { m_alert.ensureNotificationAuth(); });
    center.observe(PreferencesCatalogue::kDataPlanChanged, this,
                   [this](const QVariant&) { m_planAlert.ensureNotificationAuth(); });
    center.observe(PreferencesCatalogue::kDisplayModeChanged, this,
                   [this](const QVariant&) { m_shell->applyDisplayMode(); });
    setLaunchAtLogin(PreferencesCatalogue::isLaunchEnabled());
    center.observe(PreferencesCatalogue::kLaunchAtLoginChanged, this, [](const QVariant& on) {
        setLaunchAtLogin(on.typeId() == QMetaType::Bool && on.toBool());
    });
    m_shell = std::make_unique<AppShell>(m_panel, m_view,
                                         [] { return TrafficRecorder::shared().getToday(); });
    if (m_trayAvailable)
        m_shell->setTrayAvailability(m_trayAvailable);

    m_panel->setWindowOpacity(PanelPlacement::initialOpacity(
        UserDefaults::doubleValue(PreferencesCatalogue::kWidgetOpacity)));
    m_panel->orderFrontRegardless();
    m_view->restoreTuckState();
    m_shell->applyDisplayMode();
}

void DesktopApp::tick() {
    const TickResult result = m_sampler.tick(readInterfaceCounters());
    TrafficRecorder::shared().recordTotal(result.dUp, result.dDown);
    m_alert.checkThresholdAlert(result.down, result.up);
    m_shell->updateStatusTitle(result.down, result.up);
    m_shell->followTrayHost();
    m_view->recordTick(result);
}
