#include "speedtest/windows/SpeedTestRecordView.h"

#include "common/CFormat.h"
#include "speedtest/windows/SpeedTestStyle.h"
#include "ui/TrafficTheme.h"

#include <QPainter>

namespace {

constexpr int kInset = 12;
constexpr int kLineTop = 8;
constexpr int kChipHeight = 16;
constexpr int kChipPadding = 6;

struct RowFonts {
    QFont time = SpeedTestStyle::monospacedDigit(12, QFont::DemiBold);
    QFont grade = SpeedTestStyle::system(10, QFont::DemiBold);
    QFont rate = SpeedTestStyle::monospacedDigit(12, QFont::Medium);
    QFont ping = SpeedTestStyle::monospacedDigit(11);
    QFont identity = SpeedTestStyle::monospaced(10.5);
};

const RowFonts& fonts() {
    static const RowFonts rowFonts;
    return rowFonts;
}

int textWidth(const QFont& font, const QString& text) {
    return QFontMetrics(font).horizontalAdvance(text);
}

// A rectangle as high as the font's line, vertically centred on centerY.
QRect lineRect(const QFont& font, int left, int width, int centerY) {
    const int height = QFontMetrics(font).height();
    return QRect(left, centerY - height / 2, width, height);
}

QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(float(alpha));
    return color;
}

} // namespace

SpeedTestRecordView::SpeedTestRecordView(QWidget* parent)
    : QWidget(parent), m_chipColor(TrafficTheme::textDim) {
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
    m_texts = {record.timeText(),
               record.grade.isEmpty() ? QStringLiteral("--") : record.grade,
               cformat("↓ %.1f", record.downMbps),
               cformat("↑ %.1f Mbps", record.upMbps),
               record.pingText(),
               record.identityLine()};
    m_chipColor = gradeColor(record.grade);
    setToolTip(record.tooltip());
    update();
}

SpeedTestRecordView::Layout SpeedTestRecordView::layout() const {
    const RowFonts& f = fonts();
    Layout layout;
    const int timeHeight = QFontMetrics(f.time).height();
    layout.timeLabel = QRect(kInset, kLineTop, textWidth(f.time, m_texts.time), timeHeight);
    const int lineCenter = layout.timeLabel.center().y();

    const int gradeWidth = textWidth(f.grade, m_texts.grade);
    layout.gradeChip = QRect(layout.timeLabel.right() + 1 + 8, lineCenter - kChipHeight / 2 + 1,
                             gradeWidth + 2 * kChipPadding, kChipHeight);
    layout.gradeLabel = layout.gradeChip.adjusted(kChipPadding, 0, -kChipPadding, 0);

    int right = width() - kInset;
    const auto placeRightAligned = [&](const QFont& font, const QString& text) {
        const int textW = textWidth(font, text);
        const QRect rect = lineRect(font, right - textW, textW, lineCenter);
        right -= textW + kInset;
        return rect;
    };
    layout.upLabel = placeRightAligned(f.rate, m_texts.up);
    layout.downLabel = placeRightAligned(f.rate, m_texts.down);
    layout.pingLabel = placeRightAligned(f.ping, m_texts.ping);

    const int identityWidth = std::max(0, width() - 2 * kInset);
    const QFontMetrics identityMetrics(f.identity);
    layout.identityLabel =
        QRect(kInset, layout.timeLabel.bottom() + 1 + 5, identityWidth, identityMetrics.height());
    layout.identityShown =
        identityMetrics.elidedText(m_texts.identity, Qt::ElideMiddle, identityWidth);
    return layout;
}

void SpeedTestRecordView::paintEvent(QPaintEvent*) {
    const RowFonts& f = fonts();
    const Layout at = layout();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setPen(QPen(withAlpha(m_chipColor, 0.35), 1));
    painter.setBrush(withAlpha(m_chipColor, 0.16));
    painter.drawRoundedRect(QRectF(at.gradeChip).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);

    const auto draw = [&](const QFont& font, const QColor& color, const QRect& rect,
                          const QString& text, Qt::Alignment alignment) {
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(rect, int(alignment | Qt::AlignVCenter), text);
    };
    draw(f.time, TrafficTheme::textPrimary, at.timeLabel, m_texts.time, Qt::AlignLeft);
    draw(f.grade, m_chipColor, at.gradeLabel, m_texts.grade, Qt::AlignHCenter);
    draw(f.ping, TrafficTheme::textDim, at.pingLabel, m_texts.ping, Qt::AlignRight);
    draw(f.rate, TrafficTheme::downBlue, at.downLabel, m_texts.down, Qt::AlignRight);
    draw(f.rate, TrafficTheme::upGreen, at.upLabel, m_texts.up, Qt::AlignRight);
    draw(f.identity, TrafficTheme::textDim, at.identityLabel, at.identityShown, Qt::AlignLeft);

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(TrafficTheme::hairline, 1));
    painter.drawLine(QPointF(kInset, height() - 0.5), QPointF(width() - kInset, height() - 0.5));
}
