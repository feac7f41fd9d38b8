// "Build Sequential List": prefill, number lists, key filter, enabling, build
// and its refusals.
#include "builders/sequencedialog.h"
#include "support/testenv.h"
#include "winsupport/helpwindow.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

using tv::Form2;

namespace {

const QString kPic = QStringLiteral("http://server/photos/pic007.jpg");

QStringList items(const QComboBox *box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list.append(box->itemText(i));
    return list;
}

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
    void markAndLeave(Form2 *f, const QString &url, int start, int length)
    {
        f->Text1->setText(url);
        f->Text1->setFocus(Qt::MouseFocusReason);
        f->Text1->setSelection(start, length);
        f->text3->setFocus(Qt::MouseFocusReason);
    }

    void typeInto(QComboBox *box, const QString &text)
    {
        box->setFocus(Qt::MouseFocusReason);
        box->lineEdit()->selectAll();
        QTest::keyClicks(box, text);
    }

private slots:
    void cleanup()
    {
        m_form.reset();
    }

    void controls()
    {
        Form2 *f = open();
        QVERIFY(f->Command1->isDefault());
        QVERIFY(!f->Check1->isChecked());
        // Keyboard order: Build, Append, URL, Start #, End #, Help, Cancel.
        const QList<QWidget *> order{f->Command1, f->Check1, f->Text1, f->text3, f->text4, f->Command2, f->Command3};
        for (int i = 0; i + 1 < order.size(); ++i) {
            // An editable combo's line edit sits in the chain as part of it.
            QWidget *next = order[i]->nextInFocusChain();
            while (next && (next->focusPolicy() == Qt::NoFocus || qobject_cast<QComboBox *>(next->parentWidget())))
                next = next->nextInFocusChain();
            QCOMPARE(next, order[i + 1]);
        }
    }

    void prefill_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("expected");
        QTest::newRow("upper-case-scheme") << "HTTP://host/a1.gif" << "HTTP://host/a1.gif";
        QTest::newRow("no-scheme") << "host/a1.gif" << "";
        QTest::newRow("ftp-with-further-lines") << "ftp://host/a1.gif\r\nsecond line\r\n" << "ftp://host/a1.gif\r\nsecond line\r\n";
        QTest::newRow("empty-clipboard") << "" << "";
        QTest::newRow("blank-before-link") << " http://host/" << "";
    }
    void prefill()
    {
        QFETCH(QString, clipboard);
        QFETCH(QString, expected);
        Form2 *f = open(clipboard);
        QCOMPARE(f->Text1->text(), expected);
    }

    void leavingUrlFillsBothLists()
    {
        Form2 *f = open();
        markAndLeave(f, QStringLiteral("http://h/pic1234.jpg"), 12, 4);
        QCOMPARE(f->text3->count(), 500);
        QCOMPARE(f->text4->count(), 500);
        QCOMPARE(items(f->text3).first(), QStringLiteral("0001"));
        QCOMPARE(items(f->text3).last(), QStringLiteral("0500"));
        QCOMPARE(f->text3->currentText(), QStringLiteral("0001"));
        QCOMPARE(f->text4->currentText(), QStringLiteral("0001"));
        // The selection survives the focus change: Build reads it later.
        QCOMPARE(f->Text1->keptText(), QStringLiteral("1234"));
        // Let the line edit finish its focus change.
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(f->Text1->selectedText(), QStringLiteral("1234"));

        // Again with two characters: refilled, not added to.
        markAndLeave(f, QStringLiteral("http://h/pic1234.jpg"), 12, 2);
        QCOMPARE(f->text3->count(), 500);
        QCOMPARE(f->text4->count(), 500);
        QCOMPARE(f->text3->itemText(0), QStringLiteral("01"));
        QCOMPARE(f->text4->itemText(499), QStringLiteral("500"));
    }

    void leavingUrlWithoutSelectionChangesNothing()
    {
        Form2 *f = open();
        f->Text1->setText(kPic);
        f->Text1->setFocus(Qt::MouseFocusReason);
        f->Text1->deselect();
        f->text3->setFocus(Qt::MouseFocusReason);
        QCOMPARE(f->text3->count(), 0);
        QCOMPARE(f->text4->count(), 0);
    }

    void startChangeRefillsEnd_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("endFirst");
        QTest::newRow("four-digits") << "0008" << "0001";
        QTest::newRow("one-digit") << "8" << "1";
        QTest::newRow("empty-start-plain") << "" << "1";
    }
    void startChangeRefillsEnd()
    {
        QFETCH(QString, start);
        QFETCH(QString, endFirst);
        Form2 *f = open();
        markAndLeave(f, kPic, 24, 3);
        f->text4->setCurrentIndex(7);
        f->text3->setEditText(start);
        QCOMPARE(f->text4->count(), 500);
        QCOMPARE(f->text4->currentIndex(), 0);
        QCOMPARE(f->text4->currentText(), endFirst);
    }

    void keyFilter_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("expected");
        // The box holds "12" with the cursor at its end.
        QTest::newRow("digit-typed") << int(Qt::Key_5) << int(Qt::NoModifier) << "125";
        QTest::newRow("letter-swallowed") << int(Qt::Key_A) << int(Qt::NoModifier) << "12";
        QTest::newRow("space-swallowed") << int(Qt::Key_Space) << int(Qt::NoModifier) << "12";
        QTest::newRow("ctrl-v-swallowed") << int(Qt::Key_V) << int(Qt::ControlModifier) << "12";
        QTest::newRow("backspace-works") << int(Qt::Key_Backspace) << int(Qt::NoModifier) << "1";
        QTest::newRow("minus-swallowed") << int(Qt::Key_Minus) << int(Qt::NoModifier) << "12";
    }
    void keyFilter()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, expected);
        Form2 *f = open();
        QGuiApplication::clipboard()->setText(QStringLiteral("99"));
        for (QComboBox *box : {f->text3, f->text4}) {
            box->setEditText(QStringLiteral("12"));
            box->setFocus(Qt::MouseFocusReason);
            box->lineEdit()->end(false);
            QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            QCOMPARE(box->currentText(), expected);
        }
    }

    void buildEnabling_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("all-filled") << kPic << "1" << "2" << true;
        QTest::newRow("no-url") << "" << "1" << "2" << false;
        QTest::newRow("no-start") << kPic << "" << "2" << false;
        QTest::newRow("no-end") << kPic << "1" << "" << false;
    }
    void buildEnabling()
    {
        QFETCH(QString, url);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(bool, enabled);
        Form2 *f = open();
        f->Text1->setText(url);
        f->text3->setEditText(start);
        f->text4->setEditText(end);
        QTRY_COMPARE(f->Command1->isEnabled(), enabled);
    }

    void workedExample_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("typed-008") << "008"
            << QStringList{"http://server/photos/pic008.jpg", "http://server/photos/pic009.jpg",
                           "http://server/photos/pic010.jpg", "http://server/photos/pic011.jpg",
                           "http://server/photos/pic012.jpg"};
        QTest::newRow("typed-8") << "8"
            << QStringList{"http://server/photos/pic8.jpg", "http://server/photos/pic9.jpg",
                           "http://server/photos/pic10.jpg", "http://server/photos/pic11.jpg",
                           "http://server/photos/pic12.jpg"};
    }
    void workedExample()
    {
        QFETCH(QString, start);
        QFETCH(QStringList, expected);
        Form2 *f = open();
        markAndLeave(f, kPic, 24, 3);
        QCOMPARE(f->text3->currentText(), QStringLiteral("001"));
        typeInto(f->text3, start);
        QCOMPARE(f->text3->currentText(), start);
        QCOMPARE(f->text4->currentText(), start.size() == 3 ? QStringLiteral("001") : QStringLiteral("1"));
        typeInto(f->text4, start.size() == 3 ? QStringLiteral("012") : QStringLiteral("12"));
        QTRY_VERIFY(f->Command1->isEnabled());
        tvtest::MessageBoxScript boxes;
        // Enter in End # presses the default button as a click does.
        if (start.size() == 3)
            QTest::mouseClick(f->Command1, Qt::LeftButton);
        else
            QTest::keyClick(f->text4, Qt::Key_Return);
        QVERIFY(boxes.shown().isEmpty());
        QCOMPARE(f->result(), int(QDialog::Accepted));
        QVERIFY(!f->isVisible());
        QVERIFY(!f->Append());
        QCOMPARE(f->sequence().count(), 5);
        QCOMPARE(f->sequence().links(100), expected);
    }

    void appendChosen()
    {
        Form2 *f = open();
        markAndLeave(f, QStringLiteral("http://h/1"), 9, 1);
        f->Check1->setChecked(true);
        f->text3->setEditText(QStringLiteral("1"));
        f->text4->setEditText(QStringLiteral("2"));
        f->Command1_Click();
        QCOMPARE(f->result(), int(QDialog::Accepted));
        QVERIFY(f->Append());
        QCOMPARE(f->sequence().links(100), (QStringList{"http://h/1", "http://h/2"}));
    }

    void refusals_data()
    {
        QTest::addColumn<bool>("select");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("text");
        QTest::newRow("no-selection") << false << "1" << "2"
            << "Please select a portion of the URL in place of which to insert the sequential digits.";
        QTest::newRow("pasted-letters-in-start") << true << "1a" << "2"
            << "The Start # must be a whole number from 0 to 2147483647, written with digits only.";
        QTest::newRow("start-above-largest") << true << "2147483648" << "2147483649"
            << "The Start # must be a whole number from 0 to 2147483647, written with digits only.";
        QTest::newRow("pasted-blank-in-end") << true << "1" << " 2"
            << "The End # must be a whole number from 0 to 2147483647, written with digits only.";
    }
    void refusals()
    {
        QFETCH(bool, select);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, text);
        tvtest::MessageBoxScript boxes;
        Form2 *f = open();
        if (select)
            markAndLeave(f, QStringLiteral("http://h/1"), 9, 1);
        else
            f->Text1->setText(QStringLiteral("http://h/1"));
        // As if pasted through the context menu, past the key filter.
        f->text3->setEditText(start);
        f->text4->setEditText(end);
        f->Command1_Click();
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown().first().title, QStringLiteral("Error"));
        QCOMPARE(boxes.shown().first().text, text);
        QCOMPARE(boxes.shown().first().icon, tv::MsgIcon::Exclamation);
        QVERIFY(f->isVisible());
    }

    void sequentialListHelpButton()
    {
        Form2 dialog;
        dialog.show();
        QTest::mouseClick(dialog.Command2, Qt::LeftButton);
        QVERIFY(tv::HelpWindow::instance());
        QCOMPARE(tv::HelpWindow::instance()->source().fileName(), QStringLiteral("topic17.html"));
        QVERIFY(dialog.isVisible());
    }
};

TV_TEST_MAIN(TestForm2)
#include "tst_sequencedialog.moc"
