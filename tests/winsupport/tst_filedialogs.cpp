// The open and save dialogs: filter conversion, the starting folder, the
// flags' effects and the real QFileDialog behind them.
#include "platform/messagebox.h"
#include "support/modalhelper.h"
#include "support/testenv.h"
#include "winsupport/filedialogs.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>

#include <deque>
#include <functional>

#include <sys/stat.h>

namespace {
// Answers the file dialogs from a queue and records what they were asked.
class DialogScript
{
public:
    DialogScript()
    {
        m_previous = tv::setFileDialogHandler([this](const tv::FileDialogRequest &request) {
            requests.append(request);
            if (answers.empty())
                return QString();
            const QString a = answers.front();
            answers.pop_front();
            return a;
        });
    }
    ~DialogScript() { tv::setFileDialogHandler(m_previous); }
    DialogScript(const DialogScript &) = delete;
    DialogScript &operator=(const DialogScript &) = delete;

    std::deque<QString> answers;
    QList<tv::FileDialogRequest> requests;

private:
    tv::FileDialogHandler m_previous;
};

// Runs the action on the real file dialog as soon as it is up.
void whenFileDialogShows(std::function<void(QFileDialog *)> action)
{
    tvtest::whenModal([action](QWidget *modal) {
        if (auto *dialog = qobject_cast<QFileDialog *>(modal))
            action(dialog);
    });
}

// What a person types into the name box (selectFile leaves a focused box alone).
void typeFileName(QFileDialog *dialog, const QString &name)
{
    if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        edit->setText(name);
}

const QString kFilter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*");

} // namespace

class TestSaveLoad : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_existing;

private slots:
    void init()
    {
        m_existing = m_dir.filePath(QStringLiteral("links.txt"));
        QFile f(m_existing);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("http://a\r\n");
    }

    void filtersAndStartingFolder()
    {
        // The caller's filter is converted in place: a closing bar added, bars
        // turned into NULs; the dialog's name filters come from that.
        QString filter = kFilter;
        tv::ConvertFilter(filter);
        QCOMPARE(filter, QString(kFilter + u'|').replace(u'|', QChar(0)));
        QCOMPARE(tv::nameFiltersFromConverted(filter), (QStringList{"Text Files (*.txt)", "All Files (*)"}));
        filter = QStringLiteral("Pages|*.htm;*.html|");
        tv::ConvertFilter(filter);
        QCOMPARE(tv::nameFiltersFromConverted(filter), QStringList{"Pages (*.htm *.html)"});
        // A file names its folder and is offered; a folder that is gone gives
        // the documents folder.
        QString dir, name;
        tv::resolveInitialFolder(m_existing, &dir, &name);
        QCOMPARE(dir + u'|' + name, m_dir.path() + QStringLiteral("|links.txt"));
        for (const QString &gone : {m_dir.filePath(QStringLiteral("gone/links.txt")), QString()}) {
            tv::resolveInitialFolder(gone, &dir, &name);
            QCOMPARE(dir + u'|' + name, tv::defaultDocumentsFolder() + u'|');
        }
    }

    void openNeedsExistingFile()
    {
        DialogScript dialogs;
        tvtest::MessageBoxScript boxes;
        const QString missing = m_dir.filePath(QStringLiteral("missing.txt"));
        dialogs.answers = {missing, m_existing};
        QString filter = kFilter;
        QCOMPARE(tv::ShowOpenFileDialog(nullptr, filter, QStringLiteral("t"), m_dir.path()), m_existing);
        // Asked again at the same name.
        QCOMPARE(dialogs.requests.size(), 2);
        QCOMPARE(dialogs.requests.at(1).selectedName, QStringLiteral("missing.txt"));
        QCOMPARE(boxes.shown().size(), 1);

        // A FIFO or a device is there, but is no file to read a list from.
        const QString fifo = m_dir.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString &special : {fifo, QStringLiteral("/dev/zero")}) {
            boxes.clear();
            dialogs.answers = {special, m_existing};
            QCOMPARE(tv::ShowOpenFileDialog(nullptr, filter, QStringLiteral("t"), m_dir.path()), m_existing);
            QCOMPARE(boxes.shown().size(), 1);
        }
    }

    void saveConfirms()
    {
        // An existing file is replaced, a new one made, only on a Yes; a No asks again.
        for (const auto &[exists, answer] : {std::pair{true, tv::MsgResult::Yes}, {true, tv::MsgResult::No},
                                             {false, tv::MsgResult::Yes}}) {
            DialogScript dialogs;
            tvtest::MessageBoxScript boxes;
            boxes.answer(answer);
            const QString path = exists ? m_existing : m_dir.filePath(QStringLiteral("fresh.txt"));
            dialogs.answers = {path};
            QString filter = kFilter;
            const bool chosen = answer == tv::MsgResult::Yes;
            QCOMPARE(tv::ShowSaveFileDialog(nullptr, filter, QStringLiteral("t"), m_dir.path()), chosen ? path : QString());
            QCOMPARE(boxes.shown().size(), 1);
            QVERIFY(boxes.shown().first().text.contains(exists ? QStringLiteral("already exists") : QStringLiteral("does not exist")));
            QCOMPARE(dialogs.requests.size(), chosen ? 1 : 2);
            // Nothing is written by the dialog itself.
            QCOMPARE(QFileInfo::exists(path), exists);
        }
    }

    void realSaveDialog()
    {
        tvtest::MessageBoxScript boxes;
        boxes.answer(tv::MsgResult::Yes);
        QString filter = kFilter;
        QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
        bool ownConfirmation = false;
        whenFileDialogShows([&](QFileDialog *d) {
            acceptMode = d->acceptMode();
            ownConfirmation = d->testOption(QFileDialog::DontConfirmOverwrite);
            typeFileName(d, m_existing);
            static_cast<QDialog *>(d)->accept();
        });
        QCOMPARE(tv::ShowSaveFileDialog(nullptr, filter, QStringLiteral("t"), m_dir.path()), m_existing);
        QCOMPARE(acceptMode, QFileDialog::AcceptSave);
        // Replacing is asked through the program's message box, once.
        QVERIFY(ownConfirmation);
        QCOMPARE(boxes.shown().size(), 1);
    }
};

TV_TEST_MAIN(TestSaveLoad)
#include "tst_filedialogs.moc"
