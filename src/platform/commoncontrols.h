#pragma once

#include <QColor>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace tv {

// A hidden drawing surface in pixels, without a border.
class PictureBox final : public QWidget
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    int ScaleWidth() const { return m_image.width(); }
    int ScaleHeight() const { return m_image.height(); }
    // Outer size; with no border it equals the scale size.
    void setPictureSize(int width, int height);
    QColor ForeColor() const { return m_fore; }
    void setForeColor(const QColor &c) { m_fore = c; }
    QColor BackColor() const { return m_back; }
    void setBackColor(const QColor &c) { m_back = c; }
    void Cls();
    // Filled box from (x1, y1) to (x2, y2), both corners inclusive.
    void FillBox(int x1, int y1, int x2, int y2, const QColor &color);
    const QImage &Image() const { return m_image; }

private:
    QImage m_image;
    QColor m_fore;
    QColor m_back;
};

// One keyed panel of the status bar: shows its picture when it has one, its
// text otherwise.
class StatusPanel final : public QLabel
{
    Q_OBJECT
public:
    StatusPanel(const QString &key, QWidget *parent);
    QString key() const { return objectName(); }
    QString Text() const { return m_text; }
    void setPanelText(const QString &text);
    void setPicture(const QPixmap &picture);
    void removePicture();
    bool hasPicture() const { return m_hasPicture; }
    QPixmap Picture() const { return m_picture; }

private:
    QString m_text;
    QPixmap m_picture;
    bool m_hasPicture = false;
};

class StatusBar final : public QStatusBar
{
    Q_OBJECT
public:
    explicit StatusBar(QWidget *parent = nullptr);
    StatusPanel *addPanel(const QString &key, int stretch, int minimumWidth);
    StatusPanel *Panels(const QString &key) const;
    StatusPanel *Panels(int index) const;

private:
    QList<StatusPanel *> m_panels;
};

// A toolbar button that keeps the picture index it shows as state.
class ToolButton final : public QToolButton
{
    Q_OBJECT
public:
    ToolButton(const QString &key, QWidget *parent);
    QString Key() const { return objectName(); }
    int Image() const { return m_image; }
    void setImage(int index);
    // 1 while a check-style button is pressed.
    int Value() const { return isChecked() ? 1 : 0; }
    void setValue(int v) { setChecked(v != 0); }
    QString ToolTipText() const { return toolTip(); }
    void setToolTipText(const QString &text) { setToolTip(text); }

signals:
    void imageChanged(int index);

private:
    int m_image = 0;
};

// Icon for a toolbar picture index: the desktop theme's, else the bundled one.
QIcon toolbarIcon(int imageIndex);
QIcon applicationIcon();

} // namespace tv
