// Cost of one repaint of the floating ball (it repaints once a second), drawn into an image
// the size of the ball with a full minute of history.
#include "ball/SpeedView.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

void fillHistory(SpeedView& view) {
    for (int i = 0; i < SpeedView::historyMax; ++i)
        view.recordTick({quint64(i * 900), quint64(i * 40000), i * 900.0, i * 40000.0});
}

void PaintBall(benchmark::State& state) {
    SpeedView view;
    fillHistory(view);
    view.tuckedEdge = state.range(0) ? SpeedView::TuckEdge::left : SpeedView::TuckEdge::none;
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        view.draw(painter);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(PaintBall)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The widget's own paint path, as the window system asks for it.
void GrabBall(benchmark::State& state) {
    SpeedView view;
    fillHistory(view);
    for (auto _ : state)
        benchmark::DoNotOptimize(view.grab());
}
BENCHMARK(GrabBall)->Unit(benchmark::kMicrosecond);

} // namespace
