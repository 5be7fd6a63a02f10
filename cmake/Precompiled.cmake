# Precompiled headers: Qt's and GoogleTest's headers are most of every translation unit's
# compile time, so each library parses them once. Test binaries reuse their main library's
# header instead of building one each.
option(VORN_PCH "Precompile Qt and GoogleTest headers" ON)

set(VORN_PCH_CORE
    <QByteArray> <QDate> <QDateTime> <QDir> <QFile> <QFileInfo> <QHash> <QJsonArray>
    <QJsonDocument> <QJsonObject> <QList> <QObject> <QString> <QStringList> <QTimer>
    <QVariant>
    <functional> <map> <memory> <optional> <vector>)
set(VORN_PCH_WIDGETS
    <QApplication> <QColor> <QLabel> <QMenu> <QPainter> <QPushButton> <QScreen> <QWidget>)
set(VORN_PCH_TESTS <gtest/gtest.h> <gmock/gmock.h>)

# vorn_precompile(TARGET HEADERS...): a precompiled header of HEADERS for TARGET.
function(vorn_precompile target)
    if(VORN_PCH)
        target_precompile_headers(${target} PRIVATE ${ARGN})
    endif()
endfunction()

# vorn_reuse_precompiled(TARGET FROM): TARGET compiles against FROM's precompiled header.
function(vorn_reuse_precompiled target from)
    if(VORN_PCH)
        target_precompile_headers(${target} REUSE_FROM ${from})
    endif()
endfunction()
