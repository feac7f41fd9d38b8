#pragma once

#include <QApplication>

#include <benchmark/benchmark.h>

// Runs the benchmarks under a QApplication (offscreen unless told otherwise).
inline void tvRunBenchmarks(int &argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}

#define TV_BENCHMARK_MAIN()                                                                                            \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        tvRunBenchmarks(argc, argv);                                                                                   \
        return 0;                                                                                                      \
    }
