#include "fetch/removetags.h"

#include "platform/guard.h"

namespace tv {

QString removeTags(const QString& text)
{
    Guard g(location::bodyText());
    qsizetype start = 0; // 1-based positions, 0 when absent
    qsizetype end = 0;
    QString body;
    QString result;
    bool inTag = false;

    // A case-blind search keeps positions in step with the text; a lower-cased copy may not
    // (one character can lower-case to two).
    g.run(100, [&] { start = text.indexOf(QLatin1String("<body"), 0, Qt::CaseInsensitive) + 1; });
    g.run(102, [&] { end = text.indexOf(QLatin1String("</body>"), 0, Qt::CaseInsensitive) + 1; });
    g.run(104, [&] { result.clear(); });
    if (g.test(106, [&] { return end > 0; })) {
        g.run(108, [&] {
            if (start == 0)
                throw Failure(
                    QStringLiteral("The text has \"</body>\" but no \"<body\" before it"));
            if (end < start)
                throw Failure(QStringLiteral("The text has \"</body>\" before \"<body\""));
            body = text.mid(start - 1, end - start);
        });
        g.run(110, [&] {
            result.reserve(body.size());
            for (const QChar c : std::as_const(body)) {
                if (c == u'<')
                    inTag = true;
                if (!inTag)
                    result.append(c);
                else if (c == u'>')
                    inTag = false;
            }
        });
    }
    if (g.test(112, [&] { return result.isEmpty(); }))
        return text;
    return result;
}

} // namespace tv
