#pragma once
// Stop words as the user chose them: built-in lists (the Snowball lists, by language) and lists
// of the user's own from files, the words as written. A StopMatcher brings them into the form
// of a count's word rule and letter-case choice.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tv {

class StopList {
public:
    StopList() = default;

    // The built-in list of a language, by its English name or its ISO code in any letter case
    // ("english", "EN"). Throws Failure naming the lists there are when there is none such.
    static StopList builtin(QStringView name);
    // The English names of the built-in lists, in alphabetical order.
    static QStringList builtinNames();

    // A list from a UTF-8 text file: words separated by blanks or line ends, a byte-order mark
    // at the start skipped, blank lines skipped, and "#" at the start of a line or after a blank
    // starting a comment that runs to the line's end. Throws Failure saying what is wrong when
    // the file cannot be read, is larger than 16 MB or is not UTF-8.
    static StopList fromFile(const QString& path);
    // As fromFile, from the file's bytes; `origin` names the file in the failure.
    static StopList fromText(const QByteArray& bytes, const QString& origin);

    // Adds the words of another list (several lists may be on at once).
    void add(const StopList& other);
    bool isEmpty() const { return m_words.isEmpty(); }
    // The words as written, in the order they were read.
    const QStringList& words() const { return m_words; }

private:
    QStringList m_words;
};

} // namespace tv
