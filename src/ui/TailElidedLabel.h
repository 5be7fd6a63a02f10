#pragma once

#include <QLabel>

// A one-line label that ends in "…" when its text is wider than the label, instead of being
// clipped mid-glyph; the full text is its tooltip then.
class TailElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit TailElidedLabel(QWidget* parent = nullptr);

    // The text as drawn at the current width.
    QString shownText() const;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateToolTip();
};
