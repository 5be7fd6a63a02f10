#pragma once

#include <QLabel>

// A one-line label that ends in "…" when its text is wider than the label, instead of being
// clipped mid-glyph; the full text is its tooltip then.
class TailElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit TailElidedLabel(QWidget* parent = nullptr);
    // An empty label with its object name, font and text colour, as the statistics cards use.
    static TailElidedLabel* make(const QString& objectName, const QFont& font, const QColor& color);

    // The text as drawn at the current width.
    QString shownText() const;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateToolTip();
};
