#include "app/listsearch.h"

#include "app/linklist.h"

namespace tv {

int SearchList(LinkList &list, const SearchRequest &request)
{
    const QString needle = request.matchCase ? request.text : request.text.toLower();
    const QStringList &items = list.Items();
    const QStringList &texts = list.Texts();
    const auto holds = [&](const QString &s) { return request.matchCase ? s.contains(needle) : s.toLower().contains(needle); };
    const int count = list.ListCount();
    int found = -1;
    const int start = std::max(0, request.start);
    // Every item from the start on ends up deselected but the match: one
    // range operation instead of one per item.
    if (!request.addToSelection && start < count)
        list.setSelectedRange(start, count - 1, false);
    for (int i = start; i < count; ++i) {
        if (holds(items.at(i)) || (request.inText && holds(texts.at(i)))) {
            found = i;
            list.setSelected(i, true);
            list.setTopIndex(i);
            break;
        }
    }
    return found;
}

} // namespace tv
