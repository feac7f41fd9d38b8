// The main window's list and progress bar: filling a full list, the extent
// rule over it, and a progress sweep.
#include "app/mainwindow.h"
#include "app/linklist.h"
#include "support/mainwindowfixture.h"

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
        tvtest::part<QTimer>(form, "Timer1").stop();
    }
};

void BM_AppendFullListOneByOneAndRefreshExtent(benchmark::State &state)
{
    const QStringList links = fullList();
    Window w;
    for (auto _ : state) {
        tv::LinkList &list = tvtest::list1(w.form);
        list.Clear();
        for (const QString &link : links)
            list.Append(link);
        list.RefreshExtent();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_AppendFullListOneByOneAndRefreshExtent)->Unit(benchmark::kMillisecond);

void BM_AppendFullListBatchAndRefreshExtent(benchmark::State &state)
{
    const QStringList links = fullList();
    Window w;
    for (auto _ : state) {
        tv::LinkList &list = tvtest::list1(w.form);
        list.Clear();
        list.AppendMany(links);
        list.RefreshExtent();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_AppendFullListBatchAndRefreshExtent)->Unit(benchmark::kMillisecond);

void BM_RefreshExtentOfFullList(benchmark::State &state)
{
    Window w;
    tvtest::list1(w.form).AppendMany(fullList());
    for (auto _ : state)
        tvtest::list1(w.form).RefreshExtent();
}
BENCHMARK(BM_RefreshExtentOfFullList)->Unit(benchmark::kMillisecond);

void BM_ProgressSweep(benchmark::State &state)
{
    Window w;
    w.form.show();
    // The viewer's load progress drives the bar.
    auto viewer = w.browser.addWindow(QStringLiteral("http://127.0.0.1/"));
    tvtest::list1(w.form).Append(QStringLiteral("http://127.0.0.1/a"));
    tvtest::list1(w.form).setListIndex(0);
    emit tvtest::list1(w.form).enterPressed();
    for (auto _ : state) {
        for (int v = 0; v <= 100; ++v)
            viewer->fireProgress(v, 100);
        viewer->fireProgress(0, 100);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_ProgressSweep)->Unit(benchmark::kMillisecond);

void BM_AvailabilityTickOnFullList(benchmark::State &state)
{
    Window w;
    tvtest::list1(w.form).AppendMany(fullList());
    tvtest::list1(w.form).SelectAll();
    for (auto _ : state)
        tvtest::tick(w.form);
}
BENCHMARK(BM_AvailabilityTickOnFullList)->Unit(benchmark::kMicrosecond);

} // namespace

TV_BENCHMARK_MAIN()
