#include "shell/StatusItem.h"

#include "shell/ImageIconEngine.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kDefaultSide = 44;
const QColor kDownColor = QColor::fromRgbF(0.35, 0.64, 1.0);
const QColor kUpColor = QColor::fromRgbF(0.30, 0.85, 0.52);
const QColor kBackground = QColor::fromRgbF(0.07, 0.07, 0.07, 0.88);
const QColor kText = QColor::fromRgbF(0.96, 0.96, 0.96);

// Draws "arrow value" in the band, squeezed horizontally when wider than the band.
void drawLine(QPainter& painter, const QRectF& band, QChar arrow, const QColor& arrowColor,
              const QString& value) {
    const QFontMetricsF metrics(painter.font());
    const double arrowWidth = metrics.horizontalAdvance(arrow);
    const double width = arrowWidth + metrics.horizontalAdvance(value);
    const double squeeze = width > band.width() ? band.width() / width : 1.0;
    painter.save();
    painter.translate(band.center().x() - width * squeeze / 2, band.top());
    painter.scale(squeeze, 1.0);
    const double baseline = (band.height() + metrics.ascent() - metrics.descent()) / 2;
    painter.setPen(arrowColor);
    painter.drawText(QPointF(0, baseline), QString(arrow));
    painter.setPen(kText);
    painter.drawText(QPointF(arrowWidth, baseline), value);
    painter.restore();
}

} // namespace

StatusItem::StatusItem(QObject* parent) : QObject(parent) {
    connect(&m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                const QMenu* hostMenu = m_tray.contextMenu();
                if (opensStatusMenu(reason, hostMenu && hostMenu->isVisible()))
                    Q_EMIT clicked();
            });
}

StatusItem::~StatusItem() {
    m_tray.hide();
}

void StatusItem::setTitle(const QString& title, const QString& downLine, const QString& upLine) {
    m_title = title;
    const QRect where = m_tray.geometry();
    const int side = where.height() >= 16 ? where.height() : kDefaultSide;
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QImage image = renderIcon(downLine, upLine, qRound(side * ratio));
    // An idle second draws the same picture; the host need not be told.
    if (image != m_image) {
        m_image = std::move(image);
        m_tray.setIcon(QIcon(new ImageIconEngine(m_image)));
    }
    m_tray.setToolTip(title);
    if (!m_tray.isVisible()) {
        m_waitingForHost = !QSystemTrayIcon::isSystemTrayAvailable();
        m_tray.show();
    } else if (m_waitingForHost && QSystemTrayIcon::isSystemTrayAvailable()) {
        // Qt looks for an XEmbed tray only when the icon is shown: a tray host that started
        // after us (both in autostart) is joined by showing the icon again.
        m_waitingForHost = false;
        m_tray.hide();
        m_tray.show();
    }
}

void StatusItem::setContextMenu(QMenu* menu) {
    m_tray.setContextMenu(menu);
}

QRect StatusItem::geometry() const {
    return m_tray.geometry();
}

bool StatusItem::opensStatusMenu(QSystemTrayIcon::ActivationReason reason, bool contextMenuShown) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return true;
    case QSystemTrayIcon::Context:
        return !contextMenuShown;
    default:
        return false;
    }
}

QImage StatusItem::renderIcon(const QString& downLine, const QString& upLine, int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    QPainterPath background;
    background.addRoundedRect(QRectF(0, 0, side, side), side * 0.18, side * 0.18);
    painter.fillPath(background, kBackground);

    QFont font = QGuiApplication::font();
    font.setPixelSize(qMax(6, qRound(side * 0.40)));
    font.setWeight(QFont::Bold);
    painter.setFont(font);
    const double inset = side * 0.06;
    const double half = (side - 2 * inset) / 2;
    const double width = side - 2 * inset;
    drawLine(painter, QRectF(inset, inset, width, half), QChar(0x2193), kDownColor, downLine);
    drawLine(painter, QRectF(inset, inset + half, width, half), QChar(0x2191), kUpColor, upLine);
    return image;
}
