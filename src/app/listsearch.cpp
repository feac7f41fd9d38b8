#include "app/listsearch.h"

#include "app/linklist.h"

namespace tv {

int SearchList(LinkList &list, const SearchRequest &request)
{
    const QString needle = request.matchCase ? request.text : request.text.toLower();
    const QStringList &items = list.Items();
    const int count = list.ListCount();
    int found = -1;
    // One repaint at the end instead of one per deselected item.
    const bool updates = list.updatesEnabled();
    list.setUpdatesEnabled(false);
    for (int i = std::max(0, request.start); i < count; ++i) {
        if (!request.addToSelection && list.Selected(i))
            list.setSelected(i, false);
        if (found >= 0)
            continue;
        const QString &item = items.at(i);
        if (request.matchCase ? item.contains(needle) : item.toLower().contains(needle)) {
            found = i;
            list.setSelected(i, true);
            list.setTopIndex(i);
        }
    }
    list.setUpdatesEnabled(updates);
    return found;
}

} // namespace tv
