#include "speedtest/windows/SpeedTestWindow.h"

#include "common/Brand.h"
#include "speedtest/core/SpeedTestNodes.h"
#include "speedtest/windows/SpeedTestStyle.h"
#include "support/Screenshots.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>

#include <gtest/gtest.h>

namespace {

// The program's window takes the program-wide catalogue, chosen once per process: this
// binary holds this one case so that the broken file is in place before anything looks.
TEST(SpeedTestWindowNodesFile, ABrokenNodesFileIsShownInTheWindowAndTheBuiltInNodesAreUsed) {
    const auto directory = Brand::supportDirectory();
    ASSERT_TRUE(directory);
    const QString path = *directory + QStringLiteral("/nodes.json");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"download": [{"id": "lab", "pingURL": "https://lab.example/ping"}]})");
    file.close();

    SpeedTestWindow& window = SpeedTestWindow::shared();
    window.show();
    auto* notice = window.findChild<QLabel*>(QStringLiteral("noticeLabel"));
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(),
              QStringLiteral("⚠️ 节点文件无效，已改用内置节点：") + path +
                  QStringLiteral(": download[0] 缺少文本字段 \"name\""));
    EXPECT_EQ(SpeedTestStyle::textColor(notice), SpeedTestStyle::systemOrange);
    EXPECT_GE(notice->geometry().width(), 500) << "the whole line under the last result";

    EXPECT_EQ(window.engine().catalogue().download, NodeCatalogue::builtIn().download);
    EXPECT_EQ(window.engine().catalogue().upload, NodeCatalogue::builtIn().upload);
    auto* nodes = window.findChild<QComboBox*>(QStringLiteral("nodePopup"));
    ASSERT_NE(nodes, nullptr);
    ASSERT_EQ(nodes->count(), 5);
    EXPECT_EQ(nodes->itemText(1), "清华 TUNA · 北京 · 教育网");
    saveScreenshot(window.grab().toImage(), QStringLiteral("window-nodes-notice"));
}

} // namespace
