#pragma once

#include <QDialog>

class QPushButton;

namespace tv {

// "Slideshow Paused": resume the slideshow or stop it.
class Form7 final : public QDialog
{
    Q_OBJECT
public:
    explicit Form7(QWidget *parent = nullptr);

    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

    // True to resume; closing the dialog any other way than with "Resume
    // Slideshow" stops the slideshow.
    bool ss_resume = false;

    void Command1_Click();
    void Command2_Click();
};

} // namespace tv
