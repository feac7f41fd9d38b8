#include "app/listsearch.h"

#include "app/linklist.h"

namespace tv {

int SearchList(LinkList &list, const SearchRequest &request)
{
    const QString needle = request.matchCase ? request.text : request.text.toLower();
    const QStringList &items = list.Items();
    const int count = list.ListCount();
    int found = -1;
    const int start = std::max(0, request.start);
    // Every item from the start on ends up deselected but the match: one
    // range operation instead of one per item.
    if (!request.addToSelection && start < count)
        list.setSelectedRange(start, count - 1, false);
    for (int i = start; i < count; ++i) {
        const QString &item = items.at(i);
        if (request.matchCase ? item.contains(needle) : item.toLower().contains(needle)) {
            found = i;
            list.setSelected(i, true);
            list.setTopIndex(i);
            break;
        }
    }
    return found;
}

} // namespace tv
