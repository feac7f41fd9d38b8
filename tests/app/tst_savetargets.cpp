// Every way into "Save selected link target(s) to disk" from the main window:
// the folder picker and its remembered folder, the disabled window and its
// caption, and the window given back when the transfer dialog closes (or
// the window itself).
#include "app/linklist.h"
#include "app/mainwindow.h"
#include "platform/commoncontrols.h"
#include "saving/savetargets.h"
#include "saving/savingfilesdialog.h"
#include "support/httpserver.h"
#include "support/mainwindowfixture.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenuBar>

class TestSaveTargets : public QObject
{
    Q_OBJECT

    tvtest::HttpServer m_server;

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.listen());
        m_server.route("/a.txt", {200, "text/plain", "a"});
        m_server.route("/b.txt", {200, "text/plain", "b"});
    }

    void waysIn_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("file-menu") << "mnufsav";
        QTest::newRow("toolbar-button") << "sav";
        QTest::newRow("toolbar-menu-item") << "savtgt";
        QTest::newRow("list-pop-up") << "mnusavepoptrgt";
    }
    void waysIn()
    {
        QFETCH(QString, way);
        tvtest::MainWindowFixture fx;
        tv::Form1 &form = *fx.form;
        tv::LinkList &list = tvtest::list1(form);
        list.AppendMany({m_server.url("/a.txt"), m_server.url("/skipped.txt"), m_server.url("/b.txt")});
        list.setSelected(0, true);
        list.setSelected(2, true);
        QTemporaryDir first, second;
        tv::CRegSettings::program().SaveSetting("Options", "Last Target Folder", first.path());

        fx.answerPath = second.path();
        if (way == u"sav")
            tvtest::press(form, "sav");
        else
            tvtest::trigger(form, way.toLatin1().constData());
        QCOMPARE(fx.requests.size(), 1);
        QCOMPARE(fx.requests.first().kind, tv::FileDialogKind::Folder);
        QCOMPARE(fx.requests.first().directory, first.path());
        QPointer<tv::Form4> dialog = form.findChild<tv::Form4 *>();
        QVERIFY(dialog);
        QVERIFY(!tvtest::formEnabled(form));
        QCOMPARE(dialog->state().sellinks, (QStringList{m_server.url("/a.txt"), m_server.url("/b.txt")}));
        QTRY_COMPARE(QFile(second.filePath("b.txt")).size(), 1);
        QCOMPARE(tv::LastTargetFolder(tv::CRegSettings::program()), second.path() + u'/');
        QTRY_VERIFY(form.windowTitle() != QStringLiteral("Tallyvane"));
        dialog->Command1_Click(); // "Close"
        QTRY_VERIFY(!dialog);
        QVERIFY(tvtest::formEnabled(form));
        QCOMPARE(form.windowTitle(), QStringLiteral("Tallyvane"));
    }

    void windowClosedDuringTransfer()
    {
        tvtest::HttpServer::Response held{200, "application/octet-stream", QByteArray(5000, 'h')};
        held.cutAfter = 1000;
        held.end = tvtest::HttpServer::Response::End::Hold;
        m_server.route("/held.bin", held);
        QTemporaryDir dir;
        auto fx = std::make_unique<tvtest::MainWindowFixture>();
        tvtest::list1(*fx->form).AppendMany({m_server.url("/held.bin")});
        tvtest::list1(*fx->form).setSelected(0, true);
        fx->answerPath = dir.path();
        tvtest::trigger(*fx->form, "mnufsav");
        QPointer<tv::Form4> dialog = fx->form->findChild<tv::Form4 *>();
        QTRY_VERIFY(dialog->transfer()->download().received() == 1000);
        fx.reset(); // the window goes, and the transfer with it
        QVERIFY(!dialog);
        QCOMPARE(QFile(dir.filePath("held.bin.part")).size(), 1000);
    }
};

TV_TEST_MAIN(TestSaveTargets)
#include "tst_savetargets.moc"
