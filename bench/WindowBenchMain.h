#pragma once

#include "platform/Registry.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

// Runs the benchmarks of a program that drives the main window: offscreen
// unless a platform is named, with settings of its own that offer no tip
// window at start.
inline int RunWindowBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TRegistry settings;
    settings.OpenKey(QStringLiteral("\\Software\\Kestrow\\Quillon\\TipOfDay"), true);
    settings.WriteString(QStringLiteral("ShowAtStart"), QStringLiteral("0"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
