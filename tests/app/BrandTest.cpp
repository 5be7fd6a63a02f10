#include "common/Brand.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Each case gets its own data home, so the "first start" is really the first.
class BrandTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        previous = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", previous); }

    QString path(const QString& relative) const { return home.filePath(relative); }

    QTemporaryDir home;
    QByteArray previous;
};

TEST_F(BrandTest, NamesAreExact) {
    EXPECT_EQ(Brand::name, QStringLiteral("岚"));
    EXPECT_EQ(Brand::full, QStringLiteral("岚 (Vorn)"));
    EXPECT_EQ(Brand::english, QStringLiteral("Vorn"));
    EXPECT_EQ(Brand::logPrefix, QStringLiteral("Vorn"));
    EXPECT_EQ(Brand::dirName, QStringLiteral("Vorn"));
    EXPECT_EQ(Brand::legacyDirName, QStringLiteral("NetDial"));
    EXPECT_FALSE(Brand::slogan.isEmpty());
    EXPECT_FALSE(Brand::sloganEN.isEmpty());
}

TEST_F(BrandTest, FirstCallCreatesDirectoryUnderDataHome) {
    const auto dir = Brand::supportDirectory();
    ASSERT_TRUE(dir.has_value());
    EXPECT_EQ(QDir(*dir).absolutePath(), QDir(path(QStringLiteral("Vorn"))).absolutePath());
    EXPECT_TRUE(QFileInfo(*dir).isDir());
    EXPECT_EQ(Brand::supportDirectory(), dir);
}

TEST_F(BrandTest, FreshDirectoryCopiesLegacyFilesAndLeavesLegacyAlone) {
    QDir(home.path()).mkpath(QStringLiteral("NetDial/sub"));
    writeFile(path(QStringLiteral("NetDial/traffic.json")), "{\"days\":1}");
    writeFile(path(QStringLiteral("NetDial/speedtest-history.json")), "[]");
    writeFile(path(QStringLiteral("NetDial/sub/inner.txt")), "inner");
    writeFile(path(QStringLiteral("NetDial/.hidden")), "h");

    const auto dir = Brand::supportDirectory();
    ASSERT_TRUE(dir.has_value());
    EXPECT_EQ(readFile(*dir + QStringLiteral("/traffic.json")), "{\"days\":1}");
    EXPECT_EQ(readFile(*dir + QStringLiteral("/speedtest-history.json")), "[]");
    EXPECT_EQ(readFile(*dir + QStringLiteral("/sub/inner.txt")), "inner");
    EXPECT_EQ(readFile(*dir + QStringLiteral("/.hidden")), "h");

    const QStringList legacy =
        QDir(path(QStringLiteral("NetDial")))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(legacy,
              (QStringList{QStringLiteral(".hidden"), QStringLiteral("speedtest-history.json"),
                           QStringLiteral("sub"), QStringLiteral("traffic.json")}));
    EXPECT_EQ(readFile(path(QStringLiteral("NetDial/traffic.json"))), "{\"days\":1}");
}

TEST_F(BrandTest, ExistingDirectoryCopiesNothing) {
    QDir(home.path()).mkpath(QStringLiteral("Vorn"));
    QDir(home.path()).mkpath(QStringLiteral("NetDial"));
    writeFile(path(QStringLiteral("NetDial/traffic.json")), "legacy");
    Brand::supportDirectory();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("Vorn/traffic.json"))));
}

TEST_F(BrandTest, MigrationNeverOverwritesATarget) {
    QDir(home.path()).mkpath(QStringLiteral("NetDial"));
    QDir(home.path()).mkpath(QStringLiteral("Vorn"));
    writeFile(path(QStringLiteral("NetDial/traffic.json")), "legacy");
    writeFile(path(QStringLiteral("NetDial/other.json")), "other");
    writeFile(path(QStringLiteral("Vorn/traffic.json")), "current");
    Brand::migrateLegacy(path(QStringLiteral("NetDial")), path(QStringLiteral("Vorn")));
    EXPECT_EQ(readFile(path(QStringLiteral("Vorn/traffic.json"))), "current");
    EXPECT_EQ(readFile(path(QStringLiteral("Vorn/other.json"))), "other");
}

TEST_F(BrandTest, LegacyThatIsAFileIsIgnored) {
    writeFile(path(QStringLiteral("NetDial")), "not a directory");
    const auto dir = Brand::supportDirectory();
    ASSERT_TRUE(dir.has_value());
    EXPECT_TRUE(QDir(*dir).isEmpty());
}

} // namespace
