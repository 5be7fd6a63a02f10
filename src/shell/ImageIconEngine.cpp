#include "shell/ImageIconEngine.h"

#include <QPainter>
#include <QPixmap>

ImageIconEngine::ImageIconEngine(QImage image) : m_image(std::move(image)) {}

void ImageIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) {
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(rect, m_image);
    painter->restore();
}

QSize ImageIconEngine::actualSize(const QSize& size, QIcon::Mode, QIcon::State) {
    return m_image.size().scaled(size, Qt::KeepAspectRatio);
}

QPixmap ImageIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    const QSize target = actualSize(size, mode, state);
    if (target.isEmpty())
        return {};
    return QPixmap::fromImage(
        m_image.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

QList<QSize> ImageIconEngine::availableSizes(QIcon::Mode, QIcon::State) {
    return {m_image.size()};
}

QIconEngine* ImageIconEngine::clone() const {
    return new ImageIconEngine(m_image);
}

QString ImageIconEngine::key() const {
    return QStringLiteral("ImageIconEngine");
}

bool ImageIconEngine::isNull() {
    return m_image.isNull();
}
