// Lists from text at the list's limit: import a 32767-line list file, export
// it again, and search the full list for an item near its end.
#include "app/mainwindow.h"
#include "benchmain.h"
#include "app/linklist.h"
#include "app/listsearch.h"
#include "builders/linkfilereader.h"
#include "platform/messagebox.h"
#include "saving/listexport.h"
#include "support/mainwindowfixture.h"
#include "support/testenv.h"
#include "winsupport/filedialogs.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The imports remember the file in the settings: keep them out of the user's.
const QTemporaryDir g_folders = tvtest::isolateUserFolders();

constexpr int kItems = tv::LinkList::MaxItems;

QStringList fullList()
{
    QStringList items;
    items.reserve(kItems);
    for (int i = 0; i < kItems; ++i)
        items.append(QStringLiteral("http://www.example.com/gallery/%1/picture-%2.jpg").arg(i / 100).arg(i, 5, 10, QLatin1Char('0')));
    return items;
}

// A loaded main window whose file dialogs and message boxes answer at once.
struct Program
{
    Program()
    {
        form = std::make_unique<tv::Form1>(&browser);
        form->Form_Load();
        tv::setFileDialogHandler([this](const tv::FileDialogRequest &) { return path; });
        tv::setMessageBoxHandler([](const tv::MessageBoxRequest &) { return tv::MsgResult::Yes; });
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) {
            for (const QString &item : fullList())
                f.write(item.toUtf8() + "\r\n");
        }
    }
    ~Program()
    {
        tv::setFileDialogHandler({});
        tv::setMessageBoxHandler({});
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("links.txt"));
    tvtest::FakeBrowserComponent browser;
    std::unique_ptr<tv::Form1> form;
};

// "Build list from file" into an empty list: read, cut, add, count, extent.
void BM_ImportFileCommand(benchmark::State &state)
{
    Program program;
    for (auto _ : state) {
        state.PauseTiming();
        tvtest::list1(*program.form).Clear();
        state.ResumeTiming();
        tvtest::part(*program.form, "mnufFile").trigger();
    }
    if (tvtest::list1(*program.form).ListCount() != kItems)
        state.SkipWithError("import did not fill the list");
}
BENCHMARK(BM_ImportFileCommand)->Unit(benchmark::kMillisecond);

// "Save list to text file" of the full list over the previous file.
void BM_ExportFileCommand(benchmark::State &state)
{
    Program program;
    tvtest::part(*program.form, "mnufFile").trigger();
    const QString out = program.dir.filePath(QStringLiteral("out.txt"));
    program.path = out;
    tvtest::tick(*program.form);
    for (auto _ : state)
        tvtest::part(*program.form, "mnufsavlst").trigger();
    if (QFileInfo(out).size() != QFileInfo(program.dir.filePath(QStringLiteral("links.txt"))).size())
        state.SkipWithError("export differs from the imported file");
}
BENCHMARK(BM_ExportFileCommand)->Unit(benchmark::kMillisecond);

// The reader alone, without the list widget.
void BM_ScanLinkFile(benchmark::State &state)
{
    QByteArray bytes;
    for (const QString &item : fullList())
        bytes += item.toUtf8() + "\r\n";
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        const tv::LinkFileScan scan = tv::scanLinkFile(buffer);
        benchmark::DoNotOptimize(scan.links.size());
    }
}
BENCHMARK(BM_ScanLinkFile)->Unit(benchmark::kMillisecond);

// The search of the full list for an item near its end. Arg 0: nothing
// selected before; arg 1: everything selected, so every item is deselected.
void BM_SearchNearEnd(benchmark::State &state)
{
    Program program;
    tvtest::list1(*program.form).AppendMany(fullList());
    const QString wanted = QStringLiteral("PICTURE-32760");
    for (auto _ : state) {
        state.PauseTiming();
        tvtest::list1(*program.form).selectionModel()->clear();
        if (state.range(0) == 1)
            tvtest::list1(*program.form).SelectAll();
        state.ResumeTiming();
        const int found = tv::SearchList(tvtest::list1(*program.form), {wanted, false, false, 0});
        if (found != 32760)
            state.SkipWithError("wrong item found");
    }
}
BENCHMARK(BM_SearchNearEnd)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

TV_BENCHMARK_MAIN()
