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
    ASSERT_TRUE(recorder.data().empty());
    DesktopApp app;
    app.start();
    app.tick();
    // The tick created the day's record; which day the real clock gave is not the point.
    ASSERT_EQ(recorder.data().size(), 1u);
    const QString bookedDay = recorder.data().begin()->first;

    ASSERT_TRUE(QMetaObject::invokeMethod(qApp, "aboutToQuit"));
    QFile file(recorder.dataURL());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::optional<TrafficData> saved = TrafficFile::parse(file.readAll());
    ASSERT_TRUE(saved.has_value());
    ASSERT_EQ(saved->size(), 1u);
    EXPECT_EQ(saved->begin()->first, bookedDay);
    EXPECT_EQ(*saved, recorder.data());
}

} // namespace
