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
private slots:
    void init();
    void nameFilters_data();
    void nameFilters();
    void documentsFolderOrHome();
    void initialFolder_data();
    void initialFolder();
    void requestAndCallerFilter();
    void openNeedsExistingFile();
    void saveConfirms_data();
    void saveConfirms();
    void saveIntoFolderAsksAgain();
    void realOpenDialog();
    void realSaveDialog();

private:
    QTemporaryDir m_dir;
    QString m_existing;
};

void TestSaveLoad::init()
{
    m_existing = m_dir.filePath(QStringLiteral("links.txt"));
    QFile f(m_existing);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("http://a\r\n");
}

void TestSaveLoad::nameFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("converted");   // '|' for the NUL separators
    QTest::addColumn<QStringList>("nameFilters");
    QTest::newRow("list-file-filter-closing-bar-added") << kFilter << kFilter + u'|'
                                                       << QStringList{"Text Files (*.txt)", "All Files (*)"};
    QTest::newRow("several-patterns-bar-not-doubled") << "Pages|*.htm;*.html|" << "Pages|*.htm;*.html|"
                                                      << QStringList{"Pages (*.htm *.html)"};
    QTest::newRow("description-without-pattern") << "Anything" << "Anything|" << QStringList{"Anything (*)"};
    QTest::newRow("empty") << "" << "|" << QStringList{};
}

void TestSaveLoad::nameFilters()
{
    QFETCH(QString, filter);
    QFETCH(QString, converted);
    QFETCH(QStringList, nameFilters);
    tv::ConvertFilter(filter);
    QCOMPARE(filter, converted.replace(u'|', QChar(0)));
    if (!nameFilters.isEmpty())
        QCOMPARE(tv::nameFiltersFromConverted(filter), nameFilters);
}

void TestSaveLoad::documentsFolderOrHome()
{
    const QByteArray savedHome = qgetenv("HOME");
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    const QString withoutDocuments = tv::defaultDocumentsFolder();
    QDir(home.path()).mkpath(QStringLiteral("Documents"));
    const QString withDocuments = tv::defaultDocumentsFolder();
    qputenv("HOME", savedHome);
    QCOMPARE(withoutDocuments, home.path());
    QCOMPARE(withDocuments, home.filePath(QStringLiteral("Documents")));
}

void TestSaveLoad::initialFolder_data()
{
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QString>("directory");   // "<tmp>" and "<docs>" stand for the folders
    QTest::addColumn<QString>("fileName");
    QTest::newRow("folder") << "<tmp>" << "<tmp>" << "";
    QTest::newRow("existing-file") << "<tmp>/links.txt" << "<tmp>" << "links.txt";
    QTest::newRow("file-not-there-yet") << "<tmp>/new.txt" << "<tmp>" << "new.txt";
    QTest::newRow("folder-gone") << "<tmp>/gone/links.txt" << "<docs>" << "";
    QTest::newRow("empty") << "" << "<docs>" << "";
}

void TestSaveLoad::initialFolder()
{
    QFETCH(QString, initial);
    QFETCH(QString, directory);
    QFETCH(QString, fileName);
    const QString docs = tv::defaultDocumentsFolder();
    auto expand = [&](QString s) { return s.replace(QStringLiteral("<tmp>"), m_dir.path()).replace(QStringLiteral("<docs>"), docs); };
    QString dir, name;
    tv::resolveInitialFolder(expand(initial), &dir, &name);
    QCOMPARE(dir, expand(directory));
    QCOMPARE(name, fileName);
}

void TestSaveLoad::requestAndCallerFilter()
{
    DialogScript dialogs;
    QWidget owner;
    QString filter = kFilter;
    QCOMPARE(tv::ShowOpenFileDialog(&owner, filter, QStringLiteral("Select file to import..."), m_existing), QString());
    QCOMPARE(filter, QString(kFilter + u'|').replace(u'|', QChar(0)));
    QCOMPARE(dialogs.requests.size(), 1);
    const tv::FileDialogRequest &r = dialogs.requests.first();
    QCOMPARE(r.kind, tv::FileDialogKind::Open);
    QCOMPARE(r.owner, &owner);
    QCOMPARE(r.title, QStringLiteral("Select file to import..."));
    QCOMPARE(r.directory, m_dir.path());
    QCOMPARE(r.selectedName, QStringLiteral("links.txt"));
    QCOMPARE(r.nameFilters, (QStringList{"Text Files (*.txt)", "All Files (*)"}));

    // The save dialog starts with an empty name in the same folder.
    filter = kFilter;
    QCOMPARE(tv::ShowSaveFileDialog(&owner, filter, QStringLiteral("Save file as..."), m_existing, 0), QString());
    QCOMPARE(dialogs.requests.size(), 2);
    QCOMPARE(dialogs.requests.at(1).kind, tv::FileDialogKind::Save);
    QCOMPARE(dialogs.requests.at(1).title, QStringLiteral("Save file as..."));
    QCOMPARE(dialogs.requests.at(1).directory, m_dir.path());
    QCOMPARE(dialogs.requests.at(1).selectedName, QString());
}

void TestSaveLoad::openNeedsExistingFile()
{
    DialogScript dialogs;
    tvtest::MessageBoxScript boxes;
    const QString missing = m_dir.filePath(QStringLiteral("missing.txt"));
    dialogs.answers = {missing, m_existing};
    QString filter = kFilter;
    QCOMPARE(tv::ShowOpenFileDialog(nullptr, filter, QStringLiteral("Select file to import..."), m_dir.path()), m_existing);
    QCOMPARE(dialogs.requests.size(), 2);
    QCOMPARE(dialogs.requests.at(1).selectedName, QStringLiteral("missing.txt"));
    QCOMPARE(boxes.shown().size(), 1);
    QCOMPARE(boxes.shown().first().title, QStringLiteral("Select file to import..."));
    QVERIFY(boxes.shown().first().text.contains(QStringLiteral("File not found")));

    // A FIFO or a device is there, but is no file to read a list from.
    const QString fifo = m_dir.filePath(QStringLiteral("fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &special : {fifo, QStringLiteral("/dev/zero")}) {
        boxes.clear();
        dialogs.answers = {special, m_existing};
        QCOMPARE(tv::ShowOpenFileDialog(nullptr, filter, QStringLiteral("t"), m_dir.path()), m_existing);
        QCOMPARE(boxes.shown().size(), 1);
        QVERIFY(boxes.shown().first().text.contains(QStringLiteral("not a regular file")));
    }

    // A folder is no file either.
    dialogs.requests.clear();
    dialogs.answers = {m_dir.path()};
    QCOMPARE(tv::ShowOpenFileDialog(nullptr, filter, QStringLiteral("t"), m_dir.path()), QString());
    QCOMPARE(dialogs.requests.size(), 2);
}

void TestSaveLoad::saveConfirms_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("chosen");
    QTest::newRow("replace-yes") << true << int(tv::MsgResult::Yes) << true;
    QTest::newRow("replace-no-asks-again") << true << int(tv::MsgResult::No) << false;
    QTest::newRow("create-yes") << false << int(tv::MsgResult::Yes) << true;
    QTest::newRow("create-no-asks-again") << false << int(tv::MsgResult::No) << false;
}

void TestSaveLoad::saveConfirms()
{
    QFETCH(bool, exists);
    QFETCH(int, answer);
    QFETCH(bool, chosen);
    DialogScript dialogs;
    tvtest::MessageBoxScript boxes;
    boxes.answer(tv::MsgResult(answer));
    const QString path = exists ? m_existing : m_dir.filePath(QStringLiteral("fresh.txt"));
    dialogs.answers = {path};
    QString filter = kFilter;
    QCOMPARE(tv::ShowSaveFileDialog(nullptr, filter, QStringLiteral("Save file as..."), m_dir.path()),
             chosen ? path : QString());
    QCOMPARE(boxes.shown().size(), 1);
    const tv::MessageBoxRequest &box = boxes.shown().first();
    QCOMPARE(box.buttons, tv::MsgButtons::YesNo);
    QCOMPARE(box.title, QStringLiteral("Save file as..."));
    QVERIFY2(box.text.contains(exists ? QStringLiteral("already exists") : QStringLiteral("does not exist")),
             qPrintable(box.text));
    QCOMPARE(dialogs.requests.size(), chosen ? 1 : 2);
    if (!chosen)
        QCOMPARE(dialogs.requests.at(1).selectedName, QFileInfo(path).fileName());
    // Nothing is written by the dialog itself.
    QCOMPARE(QFileInfo::exists(path), exists);
}

void TestSaveLoad::saveIntoFolderAsksAgain()
{
    DialogScript dialogs;
    tvtest::MessageBoxScript boxes;
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("sub")));
    const QString sub = m_dir.filePath(QStringLiteral("sub"));
    dialogs.answers = {sub};
    QString filter = kFilter;
    QCOMPARE(tv::ShowSaveFileDialog(nullptr, filter, QStringLiteral("t"), m_dir.path()), QString());
    QCOMPARE(dialogs.requests.size(), 2);
    QCOMPARE(dialogs.requests.at(1).directory, sub);
    QVERIFY(boxes.shown().isEmpty());
}

void TestSaveLoad::realOpenDialog()
{
    tvtest::MessageBoxScript boxes;
    QString filter = kFilter;
    // Read while it is up, compared once it is closed.
    QString title, directory;
    QStringList nameFilters;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptSave;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    whenFileDialogShows([&](QFileDialog *d) {
        title = d->windowTitle();
        acceptMode = d->acceptMode();
        fileMode = d->fileMode();
        nameFilters = d->nameFilters();
        directory = d->directory().absolutePath();
        d->reject();
    });
    QCOMPARE(tv::ShowOpenFileDialog(nullptr, filter, QStringLiteral("Select file to import..."), m_dir.path()), QString());
    QCOMPARE(title, QStringLiteral("Select file to import..."));
    QCOMPARE(acceptMode, QFileDialog::AcceptOpen);
    QCOMPARE(fileMode, QFileDialog::ExistingFile);
    QCOMPARE(nameFilters, (QStringList{"Text Files (*.txt)", "All Files (*)"}));
    QCOMPARE(directory, QDir(m_dir.path()).absolutePath());

    whenFileDialogShows([&](QFileDialog *d) {
        typeFileName(d, m_existing);
        static_cast<QDialog *>(d)->accept();
    });
    filter = kFilter;
    QCOMPARE(tv::ShowOpenFileDialog(nullptr, filter, QStringLiteral("Select file to import..."), m_dir.path()), m_existing);
    QVERIFY(boxes.shown().isEmpty());
}

void TestSaveLoad::realSaveDialog()
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
    QCOMPARE(tv::ShowSaveFileDialog(nullptr, filter, QStringLiteral("Save file as..."), m_dir.path()), m_existing);
    QCOMPARE(acceptMode, QFileDialog::AcceptSave);
    // Replacing is asked through the program's message box, once.
    QVERIFY(ownConfirmation);
    QCOMPARE(boxes.shown().size(), 1);
    QVERIFY(boxes.shown().first().text.contains(QStringLiteral("already exists")));
}

TV_TEST_MAIN(TestSaveLoad)
#include "tst_filedialogs.moc"
