#pragma once

#include "common/Clock.h"
#include "speedtest/core/SpeedTestEngine.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabBar;
class RateGraphView;
class SpeedTestHistoryStore;
class SpeedTestHistoryView;

// The one speed test window: a test tab that runs the engine and shows it live, and the
// history tab. Closing only hides it; a running test goes on and is shown when reopened.
class SpeedTestWindow : public QWidget {
    Q_OBJECT
public:
    static inline const QString kLastResult = QStringLiteral("speedtest.lastResult");
    static inline const QString kNodeChoice = QStringLiteral("speedtest.nodeChoice");

    // Made on first use with the program's engine; lives until the process ends.
    static SpeedTestWindow& shared();

    SpeedTestWindow(SpeedTestEngine& engine, SpeedTestHistoryStore& store, const Clock& clock,
                    QWidget* parent = nullptr);
    ~SpeedTestWindow() override;

    // Brings the window to the front and gives it the keyboard.
    void show();

    void toggleRun();
    void nodeChanged(int index);
    void copyResult();
    void tabChanged(int index);

    // Why the user's nodes.json is not used (file and reason), in the notice line under the
    // last result; empty hides the line.
    void showCatalogueProblem(const QString& problem);

    void saveLastResult(const SpeedTestEngine::Result& result);
    void loadLastResult();
    void appendHistory(const SpeedTestEngine::Result& result);
    void refreshHistoryBadge();

    QString lastResultLine() const { return m_lastResultLine; }
    SpeedTestEngine& engine() const { return m_engine; }

private:
    void build();
    QWidget* buildTestPane();
    // A result card: title, value and a small line under it.
    QWidget* makeResultCard(const QString& title, QLabel** value, QLabel** smallLine);
    void installCallbacks();
    void phaseChanged(SpeedTestEngine::Phase phase);
    void ticked(SpeedTestEngine::Phase phase, double instantMbps, double progressValue);
    void loadedLatencyChanged(SpeedTestEngine::Phase phase, double loadedMs);
    void showResult(const SpeedTestEngine::Result& result);
    void showLoadedLatency(const SpeedTestEngine::Result& result);
    void showIdentity(const SpeedTestEngine::Result& result);
    void failed(const QString& message);
    bool eventFilter(QObject* watched, QEvent* event) override;

    SpeedTestEngine& m_engine;
    SpeedTestHistoryStore& m_store;
    const Clock& m_clock;
    QString m_lastResultLine;

    QLabel* serverLabel = nullptr;
    QLabel* bigValue = nullptr;
    QLabel* bigUnit = nullptr;
    QLabel* phaseLabel = nullptr;
    RateGraphView* graph = nullptr;
    QProgressBar* progress = nullptr;
    QLabel* downValue = nullptr;
    QLabel* upValue = nullptr;
    QLabel* pingValue = nullptr;
    QLabel* jitterLabel = nullptr;
    QLabel* loadedDownLabel = nullptr;
    QLabel* loadedUpLabel = nullptr;
    QLabel* bloatLabel = nullptr;
    QPushButton* startBtn = nullptr;
    QLabel* lastLabel = nullptr;
    QLabel* noticeLabel = nullptr;
    QLabel* gradeLabel = nullptr;
    QComboBox* nodePopup = nullptr;
    QPushButton* copyBtn = nullptr;
    QTabBar* tabControl = nullptr;
    QWidget* testPane = nullptr;
    SpeedTestHistoryView* historyView = nullptr;
    std::vector<QWidget*> m_cards;
};
