#include "common/Brand.h"
#include "shell/DesktopApp.h"
#include "traffic/core/TrafficFile.h"
#include "traffic/core/TrafficRecorder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(TrafficWiring, TicksFeedTheSharedStoreWhichSavesOnQuit) {
    TrafficRecorder& recorder = TrafficRecorder::shared();
    EXPECT_EQ(recorder.dataURL(), QDir(*Brand::supportDirectory()).filePath("traffic.json"));
    DesktopApp app;
    app.start();
    app.tick();
    ASSERT_TRUE(recorder.getToday().has_value()); // the tick created today's record

    ASSERT_TRUE(QMetaObject::invokeMethod(qApp, "aboutToQuit"));
    QFile file(recorder.dataURL());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::optional<TrafficData> saved = TrafficFile::parse(file.readAll());
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->count(TrafficRecorder::todayString()), 1u);
}

} // namespace
