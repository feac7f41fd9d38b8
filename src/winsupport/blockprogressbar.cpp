#include "winsupport/blockprogressbar.h"

#include "platform/commoncontrols.h"
#include "platform/runtimeerror.h"

#include <QApplication>
#include <QPalette>

#include <cfenv>
#include <cmath>

namespace tv {

bool CProgressBarEx::s_resizing = false;

CProgressBarEx::CProgressBarEx()
    : m_foreColor(QApplication::palette().color(QPalette::Highlight)),
      m_backColor(QApplication::palette().color(QPalette::Button))
{
}

void CProgressBarEx::setClient(QObject *client)
{
    auto *box = qobject_cast<PictureBox *>(client);
    if (!box)
        throw RuntimeError(13, QStringLiteral("CProgressBarEx.Client"),
                           QStringLiteral("Client property must be of type PictureBox."));
    m_client = box;
    box->setForeColor(m_foreColor);
    box->setBackColor(m_backColor);
    box->setEnabled(false);
    box->setFocusPolicy(Qt::NoFocus);
    box->setVisible(false);
    ResizeEx();
}

void CProgressBarEx::setHost(QObject *host)
{
    auto *bar = qobject_cast<StatusBar *>(host);
    if (!bar)
        throw RuntimeError(13, QStringLiteral("CProgressBarEx.Host"),
                           QStringLiteral("Host property must be of type StatusBar."));
    m_host = bar;
    if (m_client)
        ResizeEx();
}

void CProgressBarEx::setTextOnly(bool textOnly)
{
    m_textOnly = textOnly;
    if (textOnly) {
        if (StatusPanel *panel = hostPanel())
            panel->removePicture();
        // The picture is gone: the next bar must be drawn even at the old count.
        m_lastFilled = -1;
    } else {
        draw();
    }
}

void CProgressBarEx::setValue(qint32 value)
{
    m_value = std::clamp(value, m_min, m_max);
    Refresh();
}

void CProgressBarEx::setMin(qint32 min)
{
    if (min >= m_max)
        throw RuntimeError(-2147221502, QStringLiteral("CProgressBar.Min"),
                           QStringLiteral("Min property must be less than Max."));
    m_min = min;
    m_value = std::max(m_value, m_min);
    Refresh();
}

void CProgressBarEx::setMax(qint32 max)
{
    if (max <= m_min)
        throw RuntimeError(-2147221501, QStringLiteral("CProgressBar.Max"),
                           QStringLiteral("Max property must be greater than Min."));
    m_max = max;
    m_value = std::min(m_value, m_max);
    Refresh();
}

void CProgressBarEx::setForeColor(const QColor &color)
{
    m_foreColor = color;
    if (m_client) {
        m_client->setForeColor(color);
        Refresh();
    }
}

void CProgressBarEx::setBackColor(const QColor &color)
{
    m_backColor = color;
    if (m_client) {
        m_client->setBackColor(color);
        Refresh();
    }
}

void CProgressBarEx::Refresh(bool clearFirst)
{
    if (!m_client)
        return;
    if (clearFirst)
        m_client->Cls();
    draw();
}

void CProgressBarEx::computeMetrics()
{
    if (!m_client)
        return;
    const int scaleWidth = m_client->ScaleWidth();
    m_blockHeight = m_client->ScaleHeight() - 2 * margin;
    m_blockWidth = int(std::lround(2.0 / 3.0 * m_blockHeight));
    m_blockCount = step + m_blockWidth > 0 ? scaleWidth / (step + m_blockWidth) + 1 : 0;
    const int needed = pictureWidth();
    // Drop the last block when no more than half of its slot fits.
    if (scaleWidth - (needed - m_blockWidth - step) <= needed - scaleWidth && m_blockCount > 0)
        --m_blockCount;
}

StatusPanel *CProgressBarEx::hostPanel() const
{
    return m_host && !m_panelKey.isEmpty() ? m_host->Panels(m_panelKey) : nullptr;
}

void CProgressBarEx::Resize()
{
    computeMetrics();
    Refresh(true);
}

void CProgressBarEx::ResizeEx()
{
    if (s_resizing || !m_client)
        return;
    if (StatusPanel *panel = hostPanel())
        m_client->setPictureSize(panel->width() - 4, m_host->height() - 4);
    computeMetrics();
    s_resizing = true;
    m_client->setPictureSize(pictureWidth(), m_client->ScaleHeight());
    s_resizing = false;
    Refresh(true);
}

int filledBlocks(qint32 value, qint32 min, qint32 max, int count)
{
    const double fraction = double(qint64(value) - min) / double(qint64(max) - min);
    // nearbyint honours the rounding mode, which is round-half-to-even by default.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double filled = std::nearbyint(fraction * count);
    std::fesetround(saved);
    return int(filled);
}

void CProgressBarEx::draw()
{
    if (m_textOnly || !m_client || m_max <= m_min)
        return;
    const int filled = filledBlocks(m_value, m_min, m_max, m_blockCount);
    if (filled == m_lastFilled)
        return;
    m_lastFilled = filled;
    for (int k = 1; k <= m_blockCount; ++k) {
        const int x = margin + (k - 1) * (m_blockWidth + step);
        m_client->FillBox(x, margin, x + m_blockWidth, margin + m_blockHeight - 1,
                          k <= filled ? m_foreColor : m_backColor);
    }
    if (StatusPanel *panel = hostPanel()) {
        panel->setPicture(QPixmap::fromImage(m_client->Image()));
        m_host->update();
    }
}

} // namespace tv
