#pragma once

#include <QColor>
#include <QWidget>

#include <deque>

// The live throughput curve of the running phase: a filled line over the last minute of
// ticks, drawn in the colour of the newest sample, with the phase's peak as caption.
class RateGraphView : public QWidget {
    Q_OBJECT
public:
    struct Sample {
        double v;
        QColor c;
    };
    static constexpr std::size_t kMaxSamples = 240;

    explicit RateGraphView(QWidget* parent = nullptr);

    void reset();
    // Keeps the newest kMaxSamples; the peak survives trimming until the next reset.
    void addSample(double value, const QColor& color);

    const std::deque<Sample>& samples() const { return m_samples; }
    double peak() const { return m_peak; }
    QString caption() const;
    // Where sample i is drawn; rates below 1 Mbps are drawn against a 1 Mbps full scale.
    QRectF plotRect() const;
    QPointF samplePoint(std::size_t i) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::deque<Sample> m_samples;
    double m_peak = 0;
};
