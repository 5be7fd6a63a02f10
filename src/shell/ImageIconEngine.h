#pragma once

#include <QIconEngine>
#include <QImage>

// An icon of one image, scaled to whatever size is asked for. Unlike an icon made from a
// pixmap, it keeps no scaled copies in Qt's shared pixmap cache: a tray icon that changes
// every second would otherwise leave one copy there per second, until the cache is full.
class ImageIconEngine : public QIconEngine {
public:
    explicit ImageIconEngine(QImage image);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;
    QString key() const override;
    bool isNull() override;

private:
    QImage m_image;
};
