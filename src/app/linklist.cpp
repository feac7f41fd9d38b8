#include "app/linklist.h"

#include "platform/messagebox.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QFontMetrics>
#include <QMimeData>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <vector>

namespace tv {

int LinkListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant LinkListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size())
        return {};
    if (role == Qt::ToolTipRole && !m_texts.at(index.row()).isEmpty())
        return m_texts.at(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_items.at(index.row());
    return {};
}

Qt::ItemFlags LinkListModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsDropEnabled;
}

void LinkListModel::clear()
{
    beginResetModel();
    m_items.clear();
    m_pages.clear();
    m_texts.clear();
    endResetModel();
}

void LinkListModel::append(const QString &address)
{
    const int row = int(m_items.size());
    beginInsertRows({}, row, row);
    m_items.append(address);
    m_pages.append(QString());
    m_texts.append(QString());
    endInsertRows();
}

void LinkListModel::beginAppend(qsizetype count)
{
    const int row = int(m_items.size());
    beginInsertRows({}, row, row + int(count) - 1);
}

void LinkListModel::append(const QStringList &addresses, const QString &page)
{
    if (addresses.isEmpty())
        return;
    beginAppend(addresses.size());
    m_items.append(addresses);
    m_pages.insert(m_pages.size(), addresses.size(), page);
    m_texts.insert(m_texts.size(), addresses.size(), QString());
    endInsertRows();
}

void LinkListModel::append(const QList<HarvestedLink> &links, const QString &page)
{
    if (links.isEmpty())
        return;
    beginAppend(links.size());
    m_items.reserve(m_items.size() + links.size());
    m_texts.reserve(m_texts.size() + links.size());
    for (const HarvestedLink &l : links) {
        m_items.append(l.url);
        m_texts.append(l.text);
    }
    m_pages.insert(m_pages.size(), links.size(), page);
    endInsertRows();
}

QSize ExtentDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // The height of one line of text whatever the row holds.
    QStyleOptionViewItem line(option);
    initStyleOption(&line, index);
    line.text = QStringLiteral("X");
    const QWidget *view = option.widget;
    const QStyle *style = view ? view->style() : QApplication::style();
    return {width, style->sizeFromContents(QStyle::CT_ItemViewItem, &line, QSize(), view).height()};
}

LinkList::LinkList(QWidget *parent)
    : QListView(parent), m_model(new LinkListModel(this)), m_delegate(new ExtentDelegate(this))
{
    setObjectName(QStringLiteral("List1"));
    setModel(m_model);
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { selectionTouched(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { selectionTouched(); });
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this] { selectionTouched(); });
}

void LinkList::Clear()
{
    m_model->clear();
    selectionModel()->clear();
    m_selCount = 0;
    m_selCountValid = true;
}

bool LinkList::Append(const QString &address)
{
    if (ListCount() >= MaxItems)
        return false;
    m_model->append(address);
    return true;
}

int LinkList::AppendMany(const QStringList &addresses, const QString &page)
{
    const int n = std::min<int>(Room(), int(addresses.size()));
    if (n <= 0)
        return 0;
    m_model->append(n == addresses.size() ? addresses : addresses.mid(0, n), page);
    return n;
}

int LinkList::AppendMany(const QList<HarvestedLink> &links, const QString &page)
{
    const int n = std::min<int>(Room(), int(links.size()));
    if (n <= 0)
        return 0;
    m_model->append(n == links.size() ? links : links.mid(0, n), page);
    return n;
}

bool LinkList::Selected(int i) const
{
    return selectionModel()->isSelected(m_model->index(i));
}

void LinkList::setSelected(int i, bool selected)
{
    const QModelIndex idx = m_model->index(i);
    if (!idx.isValid())
        return;
    selectionModel()->select(idx, selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void LinkList::setSelectedRange(int first, int last, bool selected)
{
    const QModelIndex top = m_model->index(first);
    const QModelIndex bottom = m_model->index(last);
    if (!top.isValid() || !bottom.isValid())
        return;
    selectionModel()->select(QItemSelection(top, bottom),
                             selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

int LinkList::SelCount() const
{
    // Queried on every availability tick: recount only after a change.
    if (!m_selCountValid) {
        int n = 0;
        const QItemSelection sel = selectionModel()->selection();
        for (const QItemSelectionRange &r : sel)
            n += r.height();
        m_selCount = n;
        m_selCountValid = true;
    }
    return m_selCount;
}

QStringList LinkList::SelectedItems() const
{
    QStringList selected;
    for (int i = 0; i < ListCount(); ++i) {
        if (Selected(i))
            selected.append(List(i));
    }
    return selected;
}

QStringList LinkList::SelectedPages() const
{
    QStringList pages;
    for (int i = 0; i < ListCount(); ++i) {
        if (Selected(i))
            pages.append(Pages().at(i));
    }
    return pages;
}

int LinkList::ListIndex() const
{
    const QModelIndex idx = currentIndex();
    return idx.isValid() ? idx.row() : -1;
}

void LinkList::setListIndex(int i)
{
    const QModelIndex idx = m_model->index(i);
    if (!idx.isValid()) {
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    // Setting the focus item also selects it, as a list box does.
    selectionModel()->setCurrentIndex(idx, QItemSelectionModel::Select);
    scrollTo(idx);
}

int LinkList::TopIndex() const
{
    const QModelIndex idx = indexAt(QPoint(1, 1));
    return idx.isValid() ? idx.row() : 0;
}

void LinkList::setTopIndex(int i)
{
    const QModelIndex idx = m_model->index(i);
    if (idx.isValid())
        scrollTo(idx, QAbstractItemView::PositionAtTop);
}

void LinkList::SelectAll()
{
    const int n = ListCount();
    if (n == 0)
        return;
    selectionModel()->select(QItemSelection(m_model->index(0), m_model->index(n - 1)), QItemSelectionModel::Select);
}

void LinkList::RefreshExtent()
{
    const QFontMetrics fm(font());
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const QStringList &items = m_model->items();
    if (items.isEmpty()) {
        setExtent(0);
        return;
    }

    // Shaping every entry of a full list costs a third of a second, so rank the
    // entries by the sum of their characters' advances and shape only the widest
    // few exactly: kerning moves a width by a few pixels, never past that many.
    if (m_advances.size() != 65536 || m_advanceFont != font()) {
        m_advanceFont = font();
        m_advances.fill(-1, 65536);
    }
    std::vector<std::pair<int, int>> estimates;  // (estimated width, row)
    estimates.reserve(items.size());
    for (int row = 0; row < items.size(); ++row) {
        int width = 0;
        for (const QChar c : items.at(row)) {
            int &advance = m_advances[c.unicode()];
            if (advance < 0)
                advance = fm.horizontalAdvance(c);
            width += advance;
        }
        estimates.emplace_back(width, row);
    }
    const size_t candidates = std::min<size_t>(estimates.size(), 64);
    std::partial_sort(estimates.begin(), estimates.begin() + qsizetype(candidates), estimates.end(),
                      [](const auto &a, const auto &b) { return a.first > b.first; });
    int widest = 0;
    for (size_t i = 0; i < candidates; ++i) {
        const int width = fm.horizontalAdvance(items.at(estimates[i].second)) + scrollBar + 10;
        if (width >= widest)
            widest = width;
    }
    setExtent(widest);
}

void LinkList::setExtent(int extent)
{
    // The rows take the extent's width, so the view's own range is extent
    // minus visible width: one rule, settled in one pass whatever the
    // scroll bars do to the viewport, where a second range set over the
    // view's own made the bar come and go without end.
    if (extent == m_delegate->width)
        return;
    m_delegate->width = extent;
    emit m_delegate->sizeHintChanged(m_model->index(0));
    executeDelayedItemsLayout();
}

void LinkList::updateGeometries()
{
    QListView::updateGeometries();
    // A step changes no range.
    horizontalScrollBar()->setSingleStep(std::max(1, fontMetrics().averageCharWidth()));
}

int LinkList::ItemFromPoint(const QPoint &viewportPoint) const
{
    const int n = ListCount();
    if (n == 0)
        return -1;
    QModelIndex idx = indexAt(QPoint(1, viewportPoint.y()));
    if (idx.isValid())
        return idx.row();
    // Outside the items: the nearest one.
    const QRect first = visualRect(m_model->index(0));
    if (viewportPoint.y() < first.top())
        return TopIndex();
    const QRect last = visualRect(m_model->index(n - 1));
    if (viewportPoint.y() > last.bottom())
        return n - 1;
    return TopIndex();
}

void LinkList::mouseReleaseEvent(QMouseEvent *event)
{
    QListView::mouseReleaseEvent(event);
    emit mouseReleased(event->button(), event->modifiers(), event->position().toPoint());
}

void LinkList::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListView::mouseDoubleClickEvent(event);
    emit doubleClicked(event->position().toPoint());
}

void LinkList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit enterPressed();
        return;
    }
    QListView::keyPressEvent(event);
}

void LinkList::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasText()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void LinkList::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasText()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void LinkList::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit textDropped(event->mimeData()->text());
}

qint64 appendWhatFits(LinkList &list, const QStringList &links, qint64 offered)
{
    return offered - list.AppendMany(links);
}

void reportListFull(QWidget *owner, qint64 leftOut)
{
    if (leftOut <= 0)
        return;
    MsgBox(owner,
           QStringLiteral("The list holds at most %1 links, so %2 link(s) were left out.")
               .arg(LinkList::MaxItems)
               .arg(leftOut),
           MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("List Full"));
}

} // namespace tv
