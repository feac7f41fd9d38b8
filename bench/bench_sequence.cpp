// A sequential run that fills the whole list: the links are made, appended in
// one batch and the extent is measured once.
#include "app/linklist.h"
#include "builders/sequencelist.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

tv::SequenceList wholeRange()
{
    tv::SequenceList run;
    run.url = QStringLiteral("http://server/photos/pic007.jpg");
    run.selStart = 24;
    run.selLength = 3;
    run.startText = QStringLiteral("000");
    run.endText = QStringLiteral("2147483647");
    return run;
}

void BM_MakeLinks(benchmark::State &state)
{
    const tv::SequenceList run = wholeRange();
    for (auto _ : state)
        benchmark::DoNotOptimize(run.links(state.range(0)));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MakeLinks)->Arg(500)->Arg(tv::LinkList::MaxItems)->Unit(benchmark::kMillisecond);

void BM_FillList(benchmark::State &state)
{
    const tv::SequenceList run = wholeRange();
    tv::LinkList list;
    for (auto _ : state) {
        list.Clear();
        list.AppendMany(run.links(list.Room()));
        list.RefreshExtent();
    }
    state.SetItemsProcessed(state.iterations() * tv::LinkList::MaxItems);
}
BENCHMARK(BM_FillList)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
