#pragma once

#include <QString>

namespace tv {

class LinkList;

struct SearchRequest
{
    QString text;
    bool matchCase = false;
    bool addToSelection = false;
    int start = 0;
    bool inText = false; // the entries' link texts are searched too
};

// Finds the first item from request.start on that holds the text, in its
// address or, with inText, in its link text (without
// matchCase both are compared in lower case), selects it and scrolls it to
// the top. Without addToSelection every item from the start on is deselected
// (items before the start keep their selection).
// Returns the item's position, or -1 when none matched; no wrap-around.
int SearchList(LinkList &list, const SearchRequest &request);

} // namespace tv
