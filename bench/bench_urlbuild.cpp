// Building a list from a page of 30,000 links: from "Build" to the count
// text, with an empty list and with 20,000 entries listed (append on), and
// what scanning the list for every address would have cost instead.
#include "app/form1.h"
#include "app/linklist.h"
#include "support/modalhelper.h"
#include "builders/form5.h"
#include "builders/linkharvest.h"
#include "platform/commoncontrols.h"
#include "platform/messagebox.h"
#include "support/fakebrowser.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include "benchmain.h"

namespace {

constexpr int PageLinks = 30000;

QString pageLink(int i)
{
    return QStringLiteral("http://127.0.0.1:8080/gallery/section-%1/picture%20%2.jpg").arg(i % 97).arg(i);
}

// Entries already listed: half of them are on the page too (in their
// listed form), half are not.
QStringList listedEntries(int count)
{
    QStringList entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i)
        entries.append(i % 2 == 0 ? tv::LinkHarvest::listedForm(pageLink(i)) : QStringLiteral("http://elsewhere.test/%1").arg(i));
    return entries;
}

tv::HtmlDocumentPtr pageDocument()
{
    QStringList links;
    links.reserve(PageLinks);
    for (int i = 0; i < PageLinks; ++i)
        links.append(pageLink(i));
    return tvtest::makeDocument(QStringLiteral("http://127.0.0.1:8080/gallery/"), links);
}

// The whole command with the dialog answered: the clock starts at "Build"
// and stops when the count text is shown. The page's own load is not in it:
// the fake browser has the document ready at once.
void BM_BuildFromUrl(benchmark::State &state)
{
    const int listed = int(state.range(0));
    const QStringList entries = listedEntries(listed);
    const tv::HtmlDocumentPtr doc = pageDocument();
    // The page does not fit beside 20,000 entries: the "List Full" notice is answered at once.
    int notices = 0;
    const tv::MessageBoxHandler previous = tv::setMessageBoxHandler([&notices](const tv::MessageBoxRequest &) {
        ++notices;
        return tv::MsgResult::Ok;
    });
    tvtest::FakeBrowserComponent browser;
    tv::Form1 form(&browser);
    form.Timer1->stop();
    form.show();

    for (auto _ : state) {
        form.List1->Clear();
        form.List1->AppendMany(entries);
        QCoreApplication::processEvents();

        QElapsedTimer clock;
        tvtest::whenModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<tv::Form5 *>(modal);
            dialog->Text1->setText(doc->url);
            dialog->Check2->setChecked(listed > 0);
            dialog->Timer1_Timer();
            clock.start();
            dialog->Command1->click();
        });
        form.mnufURL_Click();
        auto page = browser.harvests.last().lock();
        page->doc = doc;
        page->fireDocumentComplete();
        QCoreApplication::processEvents();
        const qint64 ns = clock.nsecsElapsed();
        if (form.sbStatusBar->Panels(QStringLiteral("pnlProgress"))->Text() !=
            QStringLiteral("%1 links found").arg(form.List1->ListCount()))
            state.SkipWithError("the count text did not come back");
        state.SetIterationTime(double(ns) / 1e9);
    }
    state.counters["entries"] = form.List1->ListCount();
    state.counters["notices"] = benchmark::Counter(notices, benchmark::Counter::kAvgIterations);
    tv::setMessageBoxHandler(previous);
}
BENCHMARK(BM_BuildFromUrl)->Arg(0)->Arg(20000)->UseManualTime()->Unit(benchmark::kMillisecond);

// The harvest walk alone, with its hash set.
void BM_HarvestWalk(benchmark::State &state)
{
    const QStringList entries = listedEntries(int(state.range(0)));
    const tv::HtmlDocumentPtr doc = pageDocument();
    qsizetype added = 0;
    for (auto _ : state) {
        tv::LinkHarvest harvest(entries, tv::LinkList::MaxItems - entries.size());
        harvest.walk(*doc);
        added = harvest.added().size();
        benchmark::DoNotOptimize(added);
    }
    state.counters["added"] = double(added);
}
BENCHMARK(BM_HarvestWalk)->Arg(0)->Arg(20000)->Unit(benchmark::kMillisecond);

// The rule as first written: every address compared with every entry of the
// list, the list growing as addresses are added.
void BM_QuadraticListScan(benchmark::State &state)
{
    const QStringList entries = listedEntries(int(state.range(0)));
    const tv::HtmlDocumentPtr doc = pageDocument();
    qsizetype added = 0;
    for (auto _ : state) {
        QStringList list = entries;
        for (const QString &href : doc->links) {
            if (list.size() >= tv::LinkList::MaxItems)
                break;
            const QString address = tv::LinkHarvest::listedForm(href);
            bool found = false;
            for (qsizetype i = 0; i < list.size(); ++i) {
                if (list.at(i) == address) {
                    found = true;
                    break;
                }
            }
            if (!found)
                list.append(address);
        }
        added = list.size() - entries.size();
        benchmark::DoNotOptimize(added);
    }
    state.counters["added"] = double(added);
}
BENCHMARK(BM_QuadraticListScan)->Arg(0)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

TV_BENCHMARK_MAIN()
