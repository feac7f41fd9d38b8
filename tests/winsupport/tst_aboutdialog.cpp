// "About...": the labels, the two addresses, and the "Oops!" messages when
// nothing can open them.
#include "platform/desktopservices.h"
#include "support/testenv.h"
#include "winsupport/aboutdialog.h"

#include <QDesktopServices>
#include <QPushButton>

using tv::FrmAbt;

// Stands in for the desktop's handler of web and e-mail addresses.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

class TestFrmAbt : public QObject
{
    Q_OBJECT

    QStringList m_opened;
    long m_result = 42;
    tv::ShellOpener m_previous;

private slots:
    void init()
    {
        m_opened.clear();
        m_result = 42;
        m_previous = tv::setShellOpener([this](QWidget *, const QString &target) {
            m_opened.append(target);
            return m_result;
        });
    }
    void cleanup()
    {
        tv::setShellOpener(m_previous);
    }

    void addresses_data()
    {
        QTest::addColumn<bool>("mail");
        QTest::addColumn<long>("result");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("message");
        QTest::newRow("home-page-opens") << false << 42L << "https://www.example.com/" << "";
        QTest::newRow("no-web-browser") << false << 31L << "https://www.example.com/"
                                        << "Could not start your web browser.";
        QTest::newRow("mail-starts") << true << 33L << "mailto:support@example.com" << "";
        QTest::newRow("no-email-program") << true << 31L << "mailto:support@example.com"
                                          << "Could not start your email program.";
        // Other failures are not reported.
        QTest::newRow("other-failure-silent") << false << 2L << "https://www.example.com/" << "";
    }
    void addresses()
    {
        QFETCH(bool, mail);
        QFETCH(long, result);
        QFETCH(QString, opened);
        QFETCH(QString, message);
        m_result = result;
        tvtest::MessageBoxScript boxes;
        FrmAbt dialog;
        dialog.show();
        QTest::mouseClick(mail ? dialog.Label5 : dialog.Label6, Qt::LeftButton);
        QCOMPARE(m_opened, QStringList{opened});
        if (message.isEmpty()) {
            QVERIFY(boxes.shown().isEmpty());
        } else {
            QCOMPARE(boxes.shown().size(), 1);
            QCOMPARE(boxes.shown().first().title, QStringLiteral("Oops!"));
            QCOMPARE(boxes.shown().first().text, message);
            QCOMPARE(boxes.shown().first().icon, tv::MsgIcon::Exclamation);
        }
        QVERIFY(dialog.isVisible());
    }

    void labelsOpenFromTheKeyboard()
    {
        FrmAbt dialog;
        dialog.show();
        QTest::keyClick(dialog.Label5, Qt::Key_Space);
        QCOMPARE(m_opened, QStringList{QStringLiteral("mailto:support@example.com")});
        QTest::keyClick(&dialog, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void throughTheDesktop()
    {
        // Without a scripted opener the address goes to the desktop's handler.
        tv::setShellOpener({});
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
        tvtest::MessageBoxScript boxes;
        QVERIFY(tv::OpenWebPage(nullptr, tv::MakerHomePage()) != tv::ShellOpenNoAssociation);
        QVERIFY(tv::OpenMail(nullptr, tv::SupportAddress()) != tv::ShellOpenNoAssociation);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        QCOMPARE(catcher.urls, (QList<QUrl>{QUrl(QStringLiteral("https://www.example.com/")),
                                            QUrl(QStringLiteral("mailto:support@example.com"))}));
        QVERIFY(boxes.shown().isEmpty());
    }
};

TV_TEST_MAIN(TestFrmAbt)
#include "tst_aboutdialog.moc"
