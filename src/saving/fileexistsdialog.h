#pragma once

// "File Exists": asks what to do with a file that is already in the
// destination folder: overwrite it, skip it, or save under a typed name.

#include "saving/savetransfer.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace tv {

class Form8 final : public QDialog
{
    Q_OBJECT
public:
    // `filnm` is the name of the existing file.
    explicit Form8(const QString &filnm, QWidget *parent = nullptr);

    // In: the existing name; out: the new name when the answer is 2.
    QString filnm;
    // The answer: 0 overwrite, 1 skip file, 2 save with new name.
    qint32 owaction = ExistsOverwrite;

    QLabel *Label1 = nullptr;
    std::array<QRadioButton *, 3> Option1{};
    QLineEdit *Text1 = nullptr;
    QCheckBox *Check1 = nullptr;
    QPushButton *Command1 = nullptr;
    QTimer *Timer1 = nullptr;

    // The answer as the transfer takes it; closing without OK skips the file.
    ExistsAnswer answer() const;

    void Option1_Click(int index);
    void Command1_Click();
    void Timer1_Timer();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void refillName();
    bool m_confirmed = false;
};

} // namespace tv
