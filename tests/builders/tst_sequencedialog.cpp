// "Build Sequential List": the prefill, the number lists and the marked part,
// the key filter, when "Build" is on, what it hands back, and its refusals.
#include "builders/sequencedialog.h"
#include "support/testenv.h"
#include "winsupport/helpwindow.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <memory>
#include <tuple>

using tv::Form2;

namespace {

const QString kPic = QStringLiteral("http://server/photos/pic007.jpg");

} // namespace

class TestForm2 : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form2> m_form;

    // Opens the dialog (not modally) with the URL box focused.
    Form2 *open(const QString &clipboard = QString())
    {
        QGuiApplication::clipboard()->setText(clipboard);
        m_form = std::make_unique<Form2>();
        m_form->show();
        if (!QTest::qWaitForWindowActive(m_form.get()))
            qWarning("dialog not active");
        m_form->Text1->setFocus(Qt::OtherFocusReason);
        return m_form.get();
    }

    // Marks part of the URL and moves on to Start #, as a user does.
    static void markAndLeave(Form2 *f, const QString &url, int start, int length)
    {
        f->Text1->setText(url);
        f->Text1->setFocus(Qt::MouseFocusReason);
        f->Text1->setSelection(start, length);
        f->text3->setFocus(Qt::MouseFocusReason);
    }

    static void typeInto(QComboBox *box, const QString &text)
    {
        box->setFocus(Qt::MouseFocusReason);
        box->lineEdit()->selectAll();
        QTest::keyClicks(box, text);
    }

private slots:
    void cleanup() { m_form.reset(); }

    void prefillFromTheClipboard()
    {
        QCOMPARE(open(QStringLiteral("HTTP://host/a1.gif\r\nsecond line"))->Text1->text(),
                 QStringLiteral("HTTP://host/a1.gif\r\nsecond line"));
        QCOMPARE(open(QStringLiteral("host/a1.gif"))->Text1->text(), QString());
    }

    void leavingTheUrlFillsBothLists()
    {
        Form2 *f = open();
        // Nothing marked: nothing to fill.
        f->Text1->setText(kPic);
        f->text3->setFocus(Qt::MouseFocusReason);
        QCOMPARE(f->text3->count(), 0);
        markAndLeave(f, QStringLiteral("http://h/pic1234.jpg"), 12, 4);
        QCOMPARE(f->text4->count(), 500);
        QCOMPARE(f->text3->itemText(499), QStringLiteral("0500"));
        QCOMPARE(f->text3->currentText(), QStringLiteral("0001"));
        QCOMPARE(f->text4->currentText(), QStringLiteral("0001"));
        // The marked part survives the focus change and stays visible.
        QCOMPARE(f->Text1->keptText(), QStringLiteral("1234"));
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(f->Text1->selectedText(), QStringLiteral("1234"));
        // A new Start # refills End # in its own width.
        f->text4->setCurrentIndex(7);
        f->text3->setEditText(QStringLiteral("8"));
        QCOMPARE(f->text4->count(), 500);
        QCOMPARE(f->text4->currentText(), QStringLiteral("1"));
    }

    void keyFilter()
    {
        Form2 *f = open();
        // The box holds "12" with the cursor at its end.
        const std::pair<Qt::Key, QString> keys[] = {
            {Qt::Key_5, "125"}, {Qt::Key_A, "12"}, {Qt::Key_Space, "12"}, {Qt::Key_Backspace, "1"}};
        for (QComboBox *box : {f->text3, f->text4}) {
            for (const auto &[key, expected] : keys) {
                box->setEditText(QStringLiteral("12"));
                box->setFocus(Qt::MouseFocusReason);
                box->lineEdit()->end(false);
                QTest::keyClick(box, key);
                QCOMPARE(box->currentText(), expected);
            }
        }
    }

    void buildNeedsAllThree()
    {
        Form2 *f = open();
        for (const auto &[url, start, end] : {std::tuple{kPic, "1", "2"}, {QString(), "1", "2"}, {kPic, "", "2"}, {kPic, "1", ""}}) {
            f->Text1->setText(url);
            f->text3->setEditText(QLatin1String(start));
            f->text4->setEditText(QLatin1String(end));
            f->Timer1_Timer();
            QCOMPARE(f->Command1->isEnabled(), !url.isEmpty() && *start && *end);
        }
    }

    void workedExample()
    {
        // The marked "007" of .../pic007.jpg; Start # typed 8, End # 12, Enter
        // in End # presses the default button.
        Form2 *f = open();
        markAndLeave(f, kPic, 24, 3);
        typeInto(f->text3, QStringLiteral("8"));
        QCOMPARE(f->text4->currentText(), QStringLiteral("1"));
        typeInto(f->text4, QStringLiteral("12"));
        f->Check1->setChecked(true);
        f->Timer1_Timer();
        tvtest::MessageBoxScript boxes;
        QTest::keyClick(f->text4, Qt::Key_Return);
        QVERIFY(boxes.shown().isEmpty());
        QCOMPARE(f->result(), int(QDialog::Accepted));
        QVERIFY(f->Append());
        const QStringList links = f->sequence().links(100);
        QCOMPARE(links.size(), 5);
        QCOMPARE(links.first(), QStringLiteral("http://server/photos/pic8.jpg"));
        QCOMPARE(links.last(), QStringLiteral("http://server/photos/pic12.jpg"));
    }

    void refusalsKeepTheDialog()
    {
        tvtest::MessageBoxScript boxes;
        Form2 *f = open();
        f->Text1->setText(QStringLiteral("http://h/1"));
        f->text3->setEditText(QStringLiteral("1"));
        f->text4->setEditText(QStringLiteral("2"));
        f->Command1_Click();
        // As if pasted through the context menu, past the key filter.
        markAndLeave(f, QStringLiteral("http://h/1"), 9, 1);
        f->text3->setEditText(QStringLiteral("1"));
        f->text4->setEditText(QStringLiteral(" 2"));
        f->Command1_Click();
        QCOMPARE(boxes.shown().size(), 2);
        QCOMPARE(boxes.shown().at(0).text,
                 QStringLiteral("Please select a portion of the URL in place of which to insert the sequential digits."));
        QCOMPARE(boxes.shown().at(1).text,
                 QStringLiteral("The End # must be a whole number from 0 to 2147483647, written with digits only."));
        // Help opens its page and leaves the dialog open.
        QTest::mouseClick(f->Command2, Qt::LeftButton);
        QCOMPARE(tv::HelpWindow::instance()->source().fileName(), QStringLiteral("topic17.html"));
        QVERIFY(f->isVisible());
    }
};

TV_TEST_MAIN(TestForm2)
#include "tst_sequencedialog.moc"
