#include "fetch/renderedtext.h"

#include "fetch/arena.h"
#include "fetch/controlchars.h"
#include "fetch/htmlbounds.h"
#include "fetch/textbuilder.h"
#include "fetch/textwalk.h"
#include "platform/guard.h"
#include "style/pagestyle.h"

#include <gumbo.h>

namespace tv {

namespace {

RenderedPage renderWithin(const QByteArray& utf8Html, const QUrl& pageUrl,
                          const css::LinkedSheets* sheets, NestingLimits limits, std::size_t budget,
                          const TreeVisitor* visit)
{
    const QByteArray html = disguiseControls(boundNesting(utf8Html, limits));
    Arena arena;
    arena.setBudget(budget);
    const GumboOutput* output = parseInArena(arena, html);
    const css::PageStyle style(*output, pageUrl, sheets);
    TextBuilder builder;
    TextWalk(builder, style).run(output->root);
    RenderedPage page{builder.result(), style.notes()};
    const bool rewritten =
        html.constData() != utf8Html.constData() || html.size() != utf8Html.size();
    if (visit && *visit && !rewritten)
        (*visit)(*output, utf8Html);
    if (rewritten)
        revealControls(page.text);
    return page;
}

} // namespace

QString renderedText(const QByteArray& utf8Html)
{
    return renderPage(utf8Html).text;
}

RenderedPage renderPage(const QByteArray& utf8Html, const QUrl& pageUrl,
                        const css::LinkedSheets* sheets)
{
    return renderPage(utf8Html, pageUrl, sheets, TreeVisitor());
}

RenderedPage renderPage(const QByteArray& utf8Html, const QUrl& pageUrl,
                        const css::LinkedSheets* sheets, const TreeVisitor& visit)
{
    // Ordinary pages need a fraction of this; a page past it is built to multiply its tree.
    const std::size_t budget = std::size_t(64) * 1024 * 1024 + 32 * std::size_t(utf8Html.size());
    try {
        return renderWithin(utf8Html, pageUrl, sheets, NestingLimits{}, budget, &visit);
    } catch (const ArenaExhausted&) {
    }
    // The tree multiplies when the parse reopens the open formatting elements (b, font, a, ...)
    // in every new block; without them it is no larger than the tags, and the text the same
    // but for the styles of those elements.
    try {
        return renderWithin(utf8Html, pageUrl, sheets, NestingLimits{NestingLimits{}.maxDepth, 0},
                            budget, nullptr);
    } catch (const ArenaExhausted&) {
        throw Failure(QStringLiteral("The page is built so that reading it would take more than "
                                     "%1 MB of memory")
                          .arg(budget / (1024 * 1024)));
    }
}

} // namespace tv
