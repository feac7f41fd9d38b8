#pragma once

#include "builders/linkharvest.h"

#include <QAbstractListModel>
#include <QFont>
#include <QListView>
#include <QStringList>
#include <QStyledItemDelegate>

namespace tv {

// The list's entries: plain strings in the order they were added.
class LinkListModel final : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    const QStringList &items() const { return m_items; }
    // Beside each item, the page it was found on (empty for other sources).
    const QStringList &pages() const { return m_pages; }
    // Beside each item, its text on that page (empty for other sources).
    const QStringList &texts() const { return m_texts; }
    void clear();
    void append(const QString &address);
    void append(const QStringList &addresses, const QString &page = QString());
    void append(const QList<HarvestedLink> &links, const QString &page);

private:
    void beginAppend(qsizetype count);

    QStringList m_items;
    QStringList m_pages;
    QStringList m_texts;
};

// Every row as wide as the list's extent: the view then derives its
// horizontal range from that width alone.
class ExtentDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    int width = 0;
};

// `List1`: the link list with multiple selection, a current index, a top
// index and a horizontal extent of its own. It holds at most MaxItems entries.
class LinkList final : public QListView
{
    Q_OBJECT
public:
    static constexpr int MaxItems = 32767;

    explicit LinkList(QWidget *parent = nullptr);

    void Clear();
    // Adds the address as the last item; false (nothing added) when full.
    bool Append(const QString &address);
    // Adds as many as fit; returns how many were added.
    // `page`: the page they were found on, when they come from one.
    int AppendMany(const QStringList &addresses, const QString &page = QString());
    int AppendMany(const QList<HarvestedLink> &links, const QString &page);
    int ListCount() const { return m_model->rowCount(); }
    int Room() const { return MaxItems - ListCount(); }
    QString List(int i) const { return m_model->items().value(i); }
    const QStringList &Items() const { return m_model->items(); }
    const QStringList &Pages() const { return m_model->pages(); }
    const QStringList &Texts() const { return m_model->texts(); }
    bool Selected(int i) const;
    void setSelected(int i, bool selected);
    void setSelectedRange(int first, int last, bool selected);
    int SelCount() const;
    // The selected entries, in list order.
    QStringList SelectedItems() const;
    // The pages of the selected entries, in the same order.
    QStringList SelectedPages() const;
    int ListIndex() const;
    void setListIndex(int i);
    int TopIndex() const;
    void setTopIndex(int i);
    void SelectAll();
    // Recomputes the horizontal extent from the widest entry.
    void RefreshExtent();
    // The item at (or, outside the items, nearest to) a point of the list, or -1.
    int ItemFromPoint(const QPoint &viewportPoint) const;

signals:
    void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos);
    void doubleClicked(const QPoint &pos);
    void enterPressed();
    void textDropped(const QString &text);

protected:
    void updateGeometries() override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void selectionTouched() { m_selCountValid = false; }
    void setExtent(int extent);

    LinkListModel *m_model;
    ExtentDelegate *m_delegate;
    QFont m_advanceFont;
    QList<int> m_advances;  // per UTF-16 unit, -1 until measured
    mutable int m_selCount = 0;
    mutable bool m_selCountValid = true;
};

// Adds what fits of `links`, the first of the `offered` links a command made;
// returns how many of those were left out.
qint64 appendWhatFits(LinkList &list, const QStringList &links, qint64 offered);
// Tells the user once how many links did not fit into the list.
void reportListFull(QWidget *owner, qint64 leftOut);

} // namespace tv
