#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The workbench tests run offscreen on a laptop's screen (1280 x 800) with a settings store of
// their own.
int main(int argc, char** argv) {
    QTemporaryDir config;
    // CTest asks for the plain offscreen platform; it gets the laptop's screen too.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
        const QString screens = config.filePath(QStringLiteral("screens.json"));
        QFile file(screens);
        if (file.open(QIODevice::WriteOnly))
            file.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1280, "height": 800,
                           "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        file.close();
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens).toUtf8());
    }
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
