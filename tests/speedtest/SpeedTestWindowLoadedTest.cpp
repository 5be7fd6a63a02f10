#include "speedtest/windows/SpeedTestWindow.h"

#include "FakeScheduler.h"
#include "FakeTransport.h"
#include "settings/UserDefaults.h"
#include "speedtest/core/SpeedTestHistoryStore.h"
#include "support/Screenshots.h"
#include "ui/TrafficTheme.h"

#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Phase = SpeedTestEngine::Phase;

// Anti-aliasing leaves faint traces a glyph's height away; a tenth of the range is ink.
bool visibleInk(QRgb pixel, QRgb background) {
    return std::abs(qRed(pixel) - qRed(background)) > 25 ||
           std::abs(qGreen(pixel) - qGreen(background)) > 25 ||
           std::abs(qBlue(pixel) - qBlue(background)) > 25;
}

int inkRows(const QImage& image, const QRect& area, QRgb background) {
    int rows = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        bool ink = false;
        for (int x = area.left(); x <= area.right() && !ink; ++x)
            ink = visibleInk(image.pixel(x, y), background);
        rows += ink;
    }
    return rows;
}

SpeedTestEngine::Result loadedResult() {
    SpeedTestEngine::Result result;
    result.downMbps = 93.46;
    result.upMbps = 41.2;
    result.latencyMs = 16.2;
    result.jitterMs = 1.25;
    result.downNode = QStringLiteral("华为云镜像");
    result.upNode = QStringLiteral("中科大 USTC");
    result.iface = QStringLiteral("eth0");
    result.mac = QStringLiteral("AA:BB:CC:DD:EE:FF");
    result.ipv4 = QStringLiteral("192.168.1.23");
    result.loadedDownMs = 38.4;
    result.loadedUpMs = 51.6;
    return result;
}

// The window on a fake engine, showing the latency under load.
class SpeedTestWindowLoadedTest : public testing::Test {
protected:
    void SetUp() override {
        UserDefaults::remove(SpeedTestWindow::kLastResult);
        UserDefaults::remove(SpeedTestWindow::kNodeChoice);
        store.emplace(m_dir.filePath(QStringLiteral("speedtest-history.json")));
        engine.emplace(transport, scheduler, clock, NodeCatalogue::builtIn());
        window.emplace(*engine, *store, clock);
    }

    QLabel* label(const char* name) const {
        auto* found = window->findChild<QLabel*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QRect rectOf(const char* name) const {
        auto* widget = window->findChild<QWidget*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return {widget->mapTo(&*window, QPoint(0, 0)), widget->size()};
    }

    QTemporaryDir m_dir;
    FakeClock clock;
    FakeTransport transport;
    FakeScheduler scheduler{clock};
    std::optional<SpeedTestHistoryStore> store;
    std::optional<SpeedTestEngine> engine;
    std::optional<SpeedTestWindow> window;
};

TEST_F(SpeedTestWindowLoadedTest, LiveAndFinalTexts) {
    engine->onPhase(Phase::download);
    engine->onLoadedLatency(Phase::download, 37.6);
    EXPECT_EQ(label("phaseLabel")->text().toStdString(), "下载测速中… · 负载延迟 38 ms");
    EXPECT_EQ(label("loadedDownLabel")->text().toStdString(), "负载 38 ms");
    engine->onPhase(Phase::upload);
    EXPECT_EQ(label("phaseLabel")->text().toStdString(), "上传测速中…");
    engine->onLoadedLatency(Phase::upload, 2000);
    EXPECT_EQ(label("phaseLabel")->text().toStdString(), "上传测速中… · 负载延迟 2000 ms");
    EXPECT_EQ(label("loadedUpLabel")->text().toStdString(), "负载 2000 ms");
    engine->onLoadedLatency(Phase::ping, 12); // not a loaded phase: nothing changes
    EXPECT_EQ(label("phaseLabel")->text().toStdString(), "上传测速中… · 负载延迟 2000 ms");

    engine->onPhase(Phase::done);
    engine->onResult(loadedResult());
    EXPECT_EQ(label("jitterLabel")->text().toStdString(), "");
    EXPECT_EQ(label("loadedDownLabel")->text().toStdString(), "负载 38 ms");
    EXPECT_EQ(label("loadedUpLabel")->text().toStdString(), "负载 52 ms");
    // 51.6 − 16.2 = 35.4; 60000 / 45 = 1333.3.
    EXPECT_EQ(label("bloatLabel")->text().toStdString(),
              "负载延迟 +35 ms（B 级）· 响应度 1333 RPM");
    EXPECT_EQ(label("gradeLabel")->text().toStdString(),
              "良好 · 可流畅 4K 视频　｜　上传走 中科大 USTC");
    EXPECT_EQ(label("lastLabel")->toolTip().toStdString(),
              "本次测速网卡：eth0\n本地 IPv6：—\n负载延迟：下载时 38 ms · 上传时 52 ms");

    window->toggleRun(); // a new run clears them
    for (const char* name : {"loadedDownLabel", "loadedUpLabel", "bloatLabel"})
        EXPECT_EQ(label(name)->text(), QString()) << name;
    engine->stop();
}

TEST_F(SpeedTestWindowLoadedTest, MissingFiguresShowDashesAndNoGradeLine) {
    SpeedTestEngine::Result result = loadedResult();
    result.loadedUpMs.reset();
    engine->onResult(result);
    EXPECT_EQ(label("loadedDownLabel")->text().toStdString(), "负载 38 ms");
    EXPECT_EQ(label("loadedUpLabel")->text().toStdString(), "负载 --");
    EXPECT_EQ(label("bloatLabel")->text(), QString());
    EXPECT_EQ(label("lastLabel")->toolTip().toStdString(),
              "本次测速网卡：eth0\n本地 IPv6：—\n负载延迟：下载时 38 ms · 上传时 --");
}

// The new lines use room the layout already had: everything else stays where it was before
// they existed (positions measured on that layout), and their text is drawn whole.
TEST_F(SpeedTestWindowLoadedTest, NewLinesFitWithoutMovingAnything) {
    engine->onResult(loadedResult());
    window->resize(560, 700);
    const QImage image = window->grab().toImage();
    saveScreenshot(image, QStringLiteral("window-loaded-latency"));
    saveScreenshot(image.copy(0, 330, 560, 150).scaled(1680, 450),
                   QStringLiteral("window-loaded-latency-detail"));

    const std::pair<const char*, QRect> before[] = {
        {"serverLabel", {20, 53, 520, 18}}, {"bigValue", {20, 81, 520, 58}},
        {"bigUnit", {20, 139, 520, 18}},    {"phaseLabel", {20, 161, 520, 19}},
        {"graph", {24, 192, 512, 116}},     {"progress", {24, 318, 512, 6}},
        {"downValue", {28, 370, 155, 26}},  {"upValue", {203, 370, 154, 26}},
        {"pingValue", {377, 370, 155, 26}}, {"jitterLabel", {377, 397, 155, 11}},
        {"gradeLabel", {20, 428, 520, 18}}, {"nodePopup", {177, 460, 175, 22}},
        {"copyBtn", {360, 458, 80, 26}},    {"startBtn", {170, 500, 220, 36}},
        {"lastLabel", {20, 548, 520, 16}},
    };
    for (const auto& [name, rect] : before) {
        const QRect now = rectOf(name);
        EXPECT_EQ(now.topLeft(), rect.topLeft()) << name;
        EXPECT_EQ(now.width(), rect.width()) << name;
        // The last line wraps once the result's network identity joins it.
        if (std::string_view(name) != "lastLabel")
            EXPECT_EQ(now.height(), rect.height()) << name;
    }

    // The card lines sit where the latency card has its jitter, inside their cards (the
    // cards' bottoms are at 416).
    for (const char* name : {"loadedDownLabel", "loadedUpLabel"}) {
        const QRect line = rectOf(name);
        EXPECT_EQ(line.top(), 397) << name;
        EXPECT_LE(line.bottom() + 1, 416) << name;
    }
    EXPECT_EQ(rectOf("loadedDownLabel").left(), 28);
    EXPECT_EQ(rectOf("loadedUpLabel").left(), 203);
    // The grade line's gap: from the grade line's bottom to the node row's top.
    const QRect bloat = rectOf("bloatLabel");
    EXPECT_EQ(bloat.top(), 428 + 18);
    EXPECT_EQ(bloat.bottom() + 1, 458);

    for (const char* name : {"bloatLabel", "loadedDownLabel", "loadedUpLabel"}) {
        QLabel* line = label(name);
        EXPECT_LE(line->fontMetrics().horizontalAdvance(line->text()), line->width()) << name;
        // As many rows of ink as the same text drawn with room to spare: nothing is cut.
        const QRect r = rectOf(name);
        const QRgb background = image.pixel(r.left(), r.top());
        QImage free(r.width(), r.height() * 3, QImage::Format_ARGB32);
        free.fill(background);
        {
            QPainter painter(&free);
            painter.setFont(line->font());
            painter.setPen(line->palette().color(QPalette::WindowText));
            painter.drawText(free.rect(), Qt::AlignCenter, line->text());
        }
        const int drawn = inkRows(image, r, background);
        EXPECT_GE(drawn, 6) << name;
        EXPECT_NEAR(drawn, inkRows(free, free.rect(), background), 1) << name;
    }
}

} // namespace
