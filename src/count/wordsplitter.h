#pragma once
// A way of splitting a page into words other than the engines' own: another word rule, stop
// words left out, or phrases. A count that has none splits inline by the program's own rule.
#include <QStringView>

#include <functional>

namespace tv {

class WordSplitter {
public:
    using WordSink = std::function<void(QStringView)>;

    virtual ~WordSplitter() = default;

    // Calls onWord for every word (or phrase) of the text of site `site` (from 1), in text
    // order; the view lives until onWord returns. Called once per page, on the count's thread.
    // Throws Failure when the words cannot be made.
    virtual void splitPage(int site, QStringView text, bool ignoreCase, const WordSink& onWord) = 0;
};

} // namespace tv
