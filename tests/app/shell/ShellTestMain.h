#pragma once

#include "app/AppStartup.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// Every shell test runs with its home, data, settings and runtime folders inside one temporary folder,
// so neither the user's files nor another test's leftovers are ever seen.
inline void isolateUserFolders(const QTemporaryDir &home)
{
    qputenv("HOME", home.path().toLocal8Bit());
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_CACHE_HOME");
    const QString runtime = home.path() + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
}

#define SHELL_TEST_MAIN(TestObject)                                                                          \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        QTemporaryDir home;                                                                                  \
        if (!home.isValid())                                                                                 \
            return 1;                                                                                        \
        isolateUserFolders(home);                                                                            \
        QApplication app(argc, argv);                                                                        \
        AppStartup::setIdentity();                                                                           \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestObject tc;                                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
