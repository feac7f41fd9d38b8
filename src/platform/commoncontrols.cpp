#include "platform/commoncontrols.h"

#include <QPainter>

// Resources of a static library must be registered by name before first use.
static void registerBundledResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(done);
}

namespace tv {

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setVisible(false);
    setEnabled(false);
    setFocusPolicy(Qt::NoFocus);
}

void PictureBox::setPictureSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_image.width() && height == m_image.height())
        return;
    QImage image(width, height, QImage::Format_RGB32);
    if (!image.isNull()) {
        image.fill(m_back);
        if (!m_image.isNull()) {
            QPainter p(&image);
            p.drawImage(0, 0, m_image);
        }
    }
    m_image = image;
    resize(width, height);
}

void PictureBox::Cls()
{
    m_image.fill(m_back);
}

void PictureBox::FillBox(int x1, int y1, int x2, int y2, const QColor &color)
{
    if (m_image.isNull())
        return;
    QPainter p(&m_image);
    p.fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)), color);
}

StatusPanel::StatusPanel(const QString &key, QWidget *parent) : QLabel(parent)
{
    setObjectName(key);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setTextFormat(Qt::PlainText);
    setContentsMargins(2, 0, 2, 0);
}

void StatusPanel::setPanelText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    if (!m_hasPicture)
        setText(text);
}

void StatusPanel::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    m_hasPicture = true;
    setPixmap(picture);
}

void StatusPanel::removePicture()
{
    if (!m_hasPicture)
        return;
    m_hasPicture = false;
    m_picture = QPixmap();
    // setText alone keeps the picture when the text is what the label had.
    clear();
    setText(m_text);
}

StatusBar::StatusBar(QWidget *parent) : QStatusBar(parent)
{
    setSizeGripEnabled(true);
}

StatusPanel *StatusBar::addPanel(const QString &key, int stretch, int minimumWidth)
{
    auto *panel = new StatusPanel(key, this);
    panel->setMinimumWidth(minimumWidth);
    if (stretch == 0)
        panel->setFixedWidth(minimumWidth);
    addPermanentWidget(panel, stretch);
    m_panels.append(panel);
    return panel;
}

StatusPanel *StatusBar::Panels(const QString &key) const
{
    for (StatusPanel *panel : m_panels) {
        if (panel->key() == key)
            return panel;
    }
    return nullptr;
}

StatusPanel *StatusBar::Panels(int index) const
{
    return index >= 1 && index <= m_panels.size() ? m_panels.at(index - 1) : nullptr;
}

ToolButton::ToolButton(const QString &key, QWidget *parent) : QToolButton(parent)
{
    setObjectName(key);
    setAutoRaise(true);
}

void ToolButton::setImage(int index)
{
    if (index == m_image)
        return;
    m_image = index;
    setIcon(toolbarIcon(index));
    emit imageChanged(index);
}

QIcon toolbarIcon(int imageIndex)
{
    registerBundledResources();
    // Picture indices of the toolbar and the desktop theme names that show the
    // same thing; the bundled pictures stand in where the theme has none.
    struct Entry { int index; const char *theme; const char *bundled; };
    static const Entry entries[] = {
        {1, "applications-internet", "list_url"},  {2, "edit-paste", "list_clp"},
        {3, "document-open", "list_file"},         {4, "view-list-details", "list_seq"},
        {5, "go-previous", "back"},                {6, "go-next", "fwd"},
        {7, "media-playback-start", "slideshow"},  {8, "view-restore", "hide_br"},
        {9, "view-fullscreen", "show_br"},         {10, "document-save", "sav"},
        {11, "help-browser", "help"},              {12, "view-restore", "compact"},
        {13, "view-fullscreen", "fullsize"},
    };
    for (const Entry &e : entries) {
        if (e.index == imageIndex) {
            const QIcon fallback(QStringLiteral(":/toolbar/%1.png").arg(QLatin1String(e.bundled)));
            return QIcon::fromTheme(QLatin1String(e.theme), fallback);
        }
    }
    return {};
}

} // namespace tv

namespace tv {

QIcon applicationIcon()
{
    registerBundledResources();
    return QIcon::fromTheme(QStringLiteral("tallyvane"), QIcon(QStringLiteral(":/tallyvane.png")));
}

} // namespace tv
