#pragma once

// CProgressBarEx: the block progress bar in a status-bar panel.

#include <QColor>
#include <QPointer>
#include <QString>

#include "platform/commoncontrols.h"

namespace tv {

// A segmented progress bar drawn into a hidden picture box and shown as the
// picture of one status-bar panel.
class CProgressBarEx
{
public:
    CProgressBarEx();

    // Throws RuntimeError 13 unless the object is a PictureBox.
    void setClient(QObject *client);
    PictureBox *Client() const { return m_client; }
    // Throws RuntimeError 13 unless the object is a StatusBar.
    void setHost(QObject *host);
    StatusBar *Host() const { return m_host; }
    void setPanelKey(const QString &key) { m_panelKey = key; }
    QString PanelKey() const { return m_panelKey; }

    void setTextOnly(bool textOnly);
    bool TextOnly() const { return m_textOnly; }
    void setValue(qint32 value);
    qint32 Value() const { return m_value; }
    void setMin(qint32 min);
    qint32 Min() const { return m_min; }
    void setMax(qint32 max);
    qint32 Max() const { return m_max; }
    void setForeColor(const QColor &color);
    QColor ForeColor() const { return m_foreColor; }
    void setBackColor(const QColor &color);
    QColor BackColor() const { return m_backColor; }

    void Refresh(bool clearFirst = false);
    void Resize();
    void ResizeEx();

    // Block metrics, for callers that lay out around the bar.
    int blockWidth() const { return m_blockWidth; }
    int blockHeight() const { return m_blockHeight; }
    int blockCount() const { return m_blockCount; }
    int lastFilled() const { return m_lastFilled; }

    static constexpr int margin = 2;
    static constexpr int step = 3;

private:
    void computeMetrics();
    // The picture's width for the blocks: each with the gap before it, and one after the last.
    int pictureWidth() const { return m_blockCount * (step + m_blockWidth) + step; }
    // The status-bar panel the bar is shown in, if any.
    StatusPanel *hostPanel() const;
    void draw();

    QPointer<PictureBox> m_client;
    QPointer<StatusBar> m_host;
    QString m_panelKey;
    qint32 m_value = 0;
    qint32 m_min = 0;
    qint32 m_max = 100;
    QColor m_foreColor;
    QColor m_backColor;
    bool m_textOnly = false;
    int m_blockHeight = 0;
    int m_blockWidth = 0;
    int m_blockCount = 0;
    int m_lastFilled = 0;

    static bool s_resizing;
};

// Blocks filled for a value: round((value - min) / (max - min) * count), halves to even.
int filledBlocks(qint32 value, qint32 min, qint32 max, int count);

} // namespace tv
