#pragma once

#include <QRectF>
#include <QString>

// The rectangle text form "{{x, y}, {width, height}}" used for stored window frames.
QString rectText(const QRectF& rect);
// Text that is not a rectangle of finite numbers yields an all-zero rectangle.
QRectF parseRectText(const QString& text);
