// The main window's list and progress bar: filling a full list, the extent
// rule over it, and a progress sweep.
#include "app/mainwindow.h"
#include "app/linklist.h"
#include "support/fakebrowser.h"

#include <QApplication>
#include <QTimer>

#include "benchmain.h"

namespace {

QStringList fullList()
{
    QStringList links;
    links.reserve(tv::LinkList::MaxItems);
    for (int i = 0; i < tv::LinkList::MaxItems; ++i)
        links << QStringLiteral("http://127.0.0.1:8080/gallery/section-%1/picture-%2.jpg").arg(i % 97).arg(i);
    return links;
}

struct Window
{
    tvtest::FakeBrowserComponent browser;
    tv::Form1 form{&browser};
    Window()
    {
        form.Form_Load();
        form.Timer1->stop();
    }
};

void BM_AppendFullListOneByOneAndRefreshExtent(benchmark::State &state)
{
    const QStringList links = fullList();
    Window w;
    for (auto _ : state) {
        w.form.List1->Clear();
        for (const QString &link : links)
            w.form.List1->Append(link);
        w.form.List1->RefreshExtent();
        w.form.ShowCount();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_AppendFullListOneByOneAndRefreshExtent)->Unit(benchmark::kMillisecond);

void BM_AppendFullListBatchAndRefreshExtent(benchmark::State &state)
{
    const QStringList links = fullList();
    Window w;
    for (auto _ : state) {
        w.form.List1->Clear();
        w.form.List1->AppendMany(links);
        w.form.List1->RefreshExtent();
        w.form.ShowCount();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_AppendFullListBatchAndRefreshExtent)->Unit(benchmark::kMillisecond);

void BM_RefreshExtentOfFullList(benchmark::State &state)
{
    Window w;
    w.form.List1->AppendMany(fullList());
    for (auto _ : state)
        w.form.List1->RefreshExtent();
}
BENCHMARK(BM_RefreshExtentOfFullList)->Unit(benchmark::kMillisecond);

void BM_ProgressSweep(benchmark::State &state)
{
    Window w;
    w.form.show();
    for (auto _ : state) {
        for (int v = 0; v <= 100; ++v)
            w.form.setProgress(v);
        w.form.setProgress(0);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_ProgressSweep)->Unit(benchmark::kMillisecond);

void BM_AvailabilityTickOnFullList(benchmark::State &state)
{
    Window w;
    w.form.List1->AppendMany(fullList());
    w.form.List1->SelectAll();
    for (auto _ : state)
        w.form.Timer1_Timer();
}
BENCHMARK(BM_AvailabilityTickOnFullList)->Unit(benchmark::kMicrosecond);

} // namespace

TV_BENCHMARK_MAIN()
