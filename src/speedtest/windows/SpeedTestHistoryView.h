#pragma once

#include "common/Clock.h"
#include "speedtest/core/SpeedTestHistoryStore.h"

#include <QList>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class SpeedTestRecordView;

// The history tab: the permanent speed-test history one page at a time, newest first, with
// CSV export and the one operation that deletes records.
class SpeedTestHistoryView : public QWidget {
    Q_OBJECT
public:
    static inline const QString kPageSize = QStringLiteral("speedtest.pageSize");
    static constexpr std::array<int, 4> kPageSizes{10, 20, 50, 100};

    explicit SpeedTestHistoryView(SpeedTestHistoryStore& store = SpeedTestHistoryStore::shared(),
                                  QWidget* parent = nullptr);

    // Rebuilds everything that depends on the store.
    void reload();

    int pageCount() const;
    int pageSize() const { return m_pageSize; }
    int pageIndex() const { return m_pageIndex; }
    const QList<SpeedTestRecord>& rows() const { return m_rows; }
    // The whole hint; the label shows as much as fits.
    QString hintText() const { return m_hintText; }

    void firstPage();
    void prevPage();
    void nextPage();
    void lastPage();
    void pageSizeChanged(int index);
    void exportPressed();
    void clearPressed();
    void historyChanged();

    // Writes the CSV export to path atomically; a failure is shown to the user.
    bool exportTo(const QString& path, const QString& csv);
    static QString suggestedExportName(const QDateTime& now);
    // 10 unless the stored value is 20, 50 or 100.
    static int storedPageSize();

    // The modal dialogs, replaceable so the flows can be driven without a user.
    std::function<QString(const QString& suggestedName)> askExportPath;
    std::function<bool(const QString& message, const QString& informative)> confirmClear;
    std::function<void(const QString& message, const QString& informative)> warn;
    // Dates the suggested export name.
    const Clock* clock = &Clock::system();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    QWidget* buildTopBar();
    QWidget* buildTableArea();
    QWidget* buildBottomBar();
    void showPage(const QList<SpeedTestRecord>& records, qsizetype start, qsizetype end);
    void bringToFront();
    // The hint is one line, cut at the tail to the view's width.
    void elideHint();

    SpeedTestHistoryStore& store;
    int m_pageSize;
    int m_pageIndex = 0;
    QList<SpeedTestRecord> m_rows;
    QString m_hintText;

    QScrollArea* scrollView = nullptr;
    QVBoxLayout* tableView = nullptr;
    std::vector<SpeedTestRecordView*> m_rowViews;
    QLabel* emptyLabel = nullptr;
    QLabel* countLabel = nullptr;
    QLabel* hintLabel = nullptr;
    QLabel* pageLabel = nullptr;
    QLabel* rangeLabel = nullptr;
    QPushButton* prevBtn = nullptr;
    QPushButton* nextBtn = nullptr;
    QPushButton* firstBtn = nullptr;
    QPushButton* lastBtn = nullptr;
    QComboBox* pageSizePopup = nullptr;
    QPushButton* exportBtn = nullptr;
    QPushButton* clearBtn = nullptr;
};
