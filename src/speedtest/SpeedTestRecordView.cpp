#include "speedtest/SpeedTestRecordView.h"

#include "common/CFormat.h"
#include "speedtest/SpeedTestStyle.h"
#include "traffic/TrafficTheme.h"

#include <QLabel>
#include <QPainter>

namespace {

constexpr int kInset = 12;
constexpr int kChipHeight = 16;
constexpr int kChipPadding = 6;

QLabel* makeLabel(QWidget* parent, const QFont& font, const QColor& color,
                  Qt::Alignment alignment) {
    auto* label = new QLabel(parent);
    label->setFont(font);
    label->setAlignment(alignment | Qt::AlignVCenter);
    SpeedTestStyle::setTextColor(label, color);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(float(alpha));
    return color;
}

} // namespace

SpeedTestRecordView::SpeedTestRecordView(QWidget* parent)
    : QWidget(parent),
      timeLabel(makeLabel(this, SpeedTestStyle::monospacedDigit(12, QFont::DemiBold),
                          TrafficTheme::textPrimary, Qt::AlignLeft)),
      gradeLabel(makeLabel(this, SpeedTestStyle::system(10, QFont::DemiBold), TrafficTheme::textDim,
                           Qt::AlignHCenter)),
      downLabel(makeLabel(this, SpeedTestStyle::monospacedDigit(12, QFont::Medium),
                          TrafficTheme::downBlue, Qt::AlignRight)),
      upLabel(makeLabel(this, SpeedTestStyle::monospacedDigit(12, QFont::Medium),
                        TrafficTheme::upGreen, Qt::AlignRight)),
      pingLabel(makeLabel(this, SpeedTestStyle::monospacedDigit(11), TrafficTheme::textDim,
                          Qt::AlignRight)),
      identityLabel(
          makeLabel(this, SpeedTestStyle::monospaced(10.5), TrafficTheme::textDim, Qt::AlignLeft)),
      m_chipColor(TrafficTheme::textDim) {
    setObjectName(QStringLiteral("SpeedTestRecordView"));
    setFixedHeight(kRowHeight);
}

QColor SpeedTestRecordView::gradeColor(const QString& grade) {
    if (grade == QStringLiteral("极速"))
        return TrafficTheme::downBlue;
    if (grade == QStringLiteral("优秀") || grade == QStringLiteral("很好"))
        return TrafficTheme::upGreen;
    if (grade == QStringLiteral("良好"))
        return SpeedTestStyle::systemYellow;
    if (grade == QStringLiteral("够用"))
        return SpeedTestStyle::systemOrange;
    if (grade == QStringLiteral("偏慢"))
        return SpeedTestStyle::systemRed;
    return TrafficTheme::textDim;
}

void SpeedTestRecordView::configure(const SpeedTestRecord& record) {
    timeLabel->setText(record.timeText());
    gradeLabel->setText(record.grade.isEmpty() ? QStringLiteral("--") : record.grade);
    m_chipColor = gradeColor(record.grade);
    SpeedTestStyle::setTextColor(gradeLabel, m_chipColor);
    downLabel->setText(cformat("↓ %.1f", record.downMbps));
    upLabel->setText(cformat("↑ %.1f Mbps", record.upMbps));
    pingLabel->setText(record.pingText());
    m_identityText = record.identityLine();
    setToolTip(record.tooltip());
    layoutLabels();
    update();
}

void SpeedTestRecordView::resizeEvent(QResizeEvent*) {
    layoutLabels();
}

void SpeedTestRecordView::layoutLabels() {
    const int lineTop = 8;
    const QSize time = timeLabel->sizeHint();
    timeLabel->setGeometry(kInset, lineTop, time.width(), time.height());
    const int lineCenter = lineTop + time.height() / 2;

    const int gradeWidth = gradeLabel->sizeHint().width();
    m_gradeChip = QRect(timeLabel->geometry().right() + 1 + 8, lineCenter - kChipHeight / 2,
                        gradeWidth + 2 * kChipPadding, kChipHeight);
    gradeLabel->setGeometry(m_gradeChip.adjusted(kChipPadding, 0, -kChipPadding, 0));

    int right = width() - kInset;
    for (QLabel* label : {upLabel, downLabel, pingLabel}) {
        const QSize size = label->sizeHint();
        label->setGeometry(right - size.width(), lineCenter - size.height() / 2, size.width(),
                           size.height());
        right -= size.width() + kInset;
    }

    const int identityWidth = std::max(0, width() - 2 * kInset);
    const QFontMetrics metrics(identityLabel->font());
    identityLabel->setText(metrics.elidedText(m_identityText, Qt::ElideMiddle, identityWidth));
    identityLabel->setGeometry(kInset, timeLabel->geometry().bottom() + 1 + 5, identityWidth,
                               metrics.height());
}

void SpeedTestRecordView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(withAlpha(m_chipColor, 0.35), 1));
    painter.setBrush(withAlpha(m_chipColor, 0.16));
    painter.drawRoundedRect(QRectF(m_gradeChip).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(TrafficTheme::hairline, 1));
    painter.drawLine(QPointF(kInset, height() - 0.5), QPointF(width() - kInset, height() - 0.5));
}
