#pragma once

#include "viewer/slideshow.h"

#include <QDialog>

#include <array>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tv {

// "Slide Show Options": seconds between links, whether they count from the
// start or the completion of a load, and which links take part.
class Form6 final : public QDialog
{
    Q_OBJECT
public:
    // Shows the stored options.
    explicit Form6(const SlideshowOptions &stored, QWidget *parent = nullptr);

    QGroupBox *Frame2 = nullptr;
    QComboBox *Combo1 = nullptr;
    QLabel *Label1 = nullptr;
    // [1] "From load start", [0] "From load comlpete".
    std::array<QRadioButton *, 2> Option2{};
    QGroupBox *Frame1 = nullptr;
    // [1] "Just selected", [0] "All in list".
    std::array<QRadioButton *, 2> Option1{};
    QPushButton *Command3 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;

    // The answer, kept after the dialog has closed. Closing it any other way
    // than with "Start" counts as "Cancel".
    bool canceled = true;
    qint16 incl = 1;          // 1 just selected, 0 all in list
    qint32 interval = 4;      // seconds
    qint16 whentochange = 1;  // 1 from load completion, 0 from load start

    // The options chosen with "Start"; none when cancelled.
    std::optional<SlideshowOptions> result() const;

    void Command3_Click();
    void Command2_Click();
    void Command1_Click();
};

} // namespace tv
