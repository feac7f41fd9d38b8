// Building a list from a web page (the work is UrlBuildSession's), and the
// file-type filters.
#include "app/mainwindow.h"

#include "app/busypointer.h"
#include "app/linklist.h"
#include "app/urlbuildsession.h"
#include "builders/filters.h"
#include "builders/filtersdialog.h"
#include "builders/urldialog.h"
#include "platform/commoncontrols.h"
#include "platform/messagebox.h"
#include "settings/settingsstore.h"

#include <QAction>

namespace tv {

// The main window as a build sees it.
class Form1::BuildHost final : public UrlBuildHost
{
public:
    explicit BuildHost(Form1 &form) : m_form(form) {}

    BrowserComponent *browser() const override { return m_form.m_browser; }
    QStringList links() const override { return m_form.List1->Items(); }
    qsizetype room() const override { return m_form.List1->Room(); }
    void addLinks(const QList<HarvestedLink> &links, const QString &page) override { m_form.List1->AppendMany(links, page); }
    void clearLinks() override { m_form.List1->Clear(); }
    void showCount() override { m_form.ShowCount(); }
    void refreshExtent() override { m_form.List1->RefreshExtent(); }
    void setStatus(const QString &text) override { m_form.setStatus(text.isEmpty() ? idleBanner() : text); }
    void setInputEnabled(bool enabled) override { m_form.setFormEnabled(enabled); }
    void setProgress(qint32 value, qint32 max) override { m_form.setProgress(value, max); }
    qint32 progressMax() const override { return m_form.ProgressMax(); }
    void clearProgressText() override
    {
        m_form.sbStatusBar->Panels(QStringLiteral("pnlProgress"))->setPanelText(QString());
    }
    void showError(const QString &text) override
    {
        MsgBox(&m_form, text, MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Error"));
    }
    void reportListFull(qsizetype leftOut) override { tv::reportListFull(&m_form, leftOut); }
    void reportPageUnfinished() override
    {
        MsgBox(&m_form, pageUnfinishedText(), MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Build List"));
    }
    void reportPageCut(qsizetype read) override
    {
        MsgBox(&m_form,
               QStringLiteral("This page links to more than %1 different addresses; only the first %1 were read.").arg(read),
               MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("List Full"));
    }

private:
    Form1 &m_form;
};

std::unique_ptr<UrlBuildHost> Form1::makeBuildHost()
{
    return std::make_unique<BuildHost>(*this);
}

void Form1::mnufURL_Click()
{
    QString address;
    if (!goturl.isEmpty()) {
        // A dropped address: no dialog, and `append` stays as it was.
        address = goturl;
    } else {
        // Asking the browser for its open pages may take a moment.
        showBusyPointer();
        std::optional<QString> currentEntry;
        if (List1->ListCount() != 0 && List1->ListIndex() != -1)
            currentEntry = List1->List(List1->ListIndex());
        Form5 dialog(m_browser, currentEntry, m_build->filtersApplied(), this);
        clearBusyPointer();
        if (showModal(&dialog) == QDialog::Accepted) {
            m_build->setAppend(dialog.Append());
            setStatus(UrlBuildSession::buildingStatus());
            sbStatusBar->Panels(QStringLiteral("pnlProgress"))->setPanelText(QString());
        }
        setFormEnabled(false);
        showBusyPointer();
        address = dialog.strurl;
    }
    if (address.isEmpty()) {
        clearBusyPointer();
        setFormEnabled(true);
        return;
    }
    m_build->start(address);
    goturl.clear();
}

void Form1::mnuopappfilt_Click()
{
    // The state is the build's; the check mark shows it.
    m_build->setFiltersApplied(!m_build->filtersApplied());
    mnuopappfilt->setChecked(m_build->filtersApplied());
    Filters::setApplyFilters(m_settings, m_build->filtersApplied());
}

void Form1::mnuopfilt_Click()
{
    Form3 dialog(m_settings, this);
    if (showModal(&dialog) == QDialog::Accepted)
        m_build->setFilters(Filters::extensionsOf(dialog.entries()));
    const bool any = !m_build->filters().isEmpty();
    m_build->setFiltersApplied(any && Filters::applyFilters(m_settings));
    if (!any)
        Filters::setApplyFilters(m_settings, false);
    mnuopappfilt->setChecked(m_build->filtersApplied());
    mnuopappfilt->setEnabled(any);
}

namespace {
const QString MediaSection = QStringLiteral("Options");
const QString MediaKey = QStringLiteral("Include Media");
} // namespace

void Form1::loadMediaOption()
{
    m_build->setIncludeMedia(booleanText(m_settings.GetSetting(MediaSection, MediaKey, QStringLiteral("0")), false));
    mnuopmedia->setChecked(m_build->includeMedia());
}

void Form1::mnuopmedia_Click()
{
    m_build->setIncludeMedia(!m_build->includeMedia());
    mnuopmedia->setChecked(m_build->includeMedia());
    m_settings.SaveSetting(MediaSection, MediaKey, m_build->includeMedia() ? QStringLiteral("1") : QStringLiteral("0"));
}

void Form1::CancelBuild()
{
    m_build->cancel();
}

} // namespace tv
