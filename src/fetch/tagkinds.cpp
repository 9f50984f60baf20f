#include "fetch/tagkinds.h"

#include <QHash>
#include <array>
#include <gumbo.h>

namespace tv {

namespace {

QHash<QByteArray, TagInfo> buildNameTable()
{
    QHash<QByteArray, TagInfo> t;
    auto set = [&t](std::initializer_list<const char*> names, TagInfo info) {
        for (const char* name : names)
            t.insert(QByteArray(name), info);
    };
    set({"head",     "script",   "style",   "template", "title",    "area",     "base",
         "basefont", "datalist", "link",    "meta",     "noembed",  "noframes", "param",
         "rp",       "source",   "track",   "frame",    "frameset", "bgsound",  "keygen",
         "menuitem", "nextid",   "isindex", "col",      "colgroup"},
        {Display::None});
    set({"html",   "body",    "address", "article", "aside",    "blockquote", "center",  "dd",
         "dir",    "div",     "dl",      "dt",      "fieldset", "figcaption", "figure",  "footer",
         "form",   "h1",      "h2",      "h3",      "h4",       "h5",         "h6",      "header",
         "hgroup", "hr",      "legend",  "li",      "main",     "menu",       "nav",     "ol",
         "search", "section", "summary", "ul",      "caption",  "option",     "multicol"},
        {Display::Block});
    set({"pre", "listing", "xmp", "plaintext"},
        {Display::Block, Role::Normal, WhiteSpace::Pre, true});
    set({"nobr"}, {Display::Inline, Role::Normal, WhiteSpace::NoWrap, true});
    set({"p"}, {Display::Block, Role::Paragraph});
    set({"br"}, {Display::Inline, Role::LineBreak});
    set({"img", "image", "iframe", "video", "object", "embed", "textarea", "meter", "progress",
         "applet", "spacer"},
        {Display::Inline, Role::Replaced});
    set({"input"}, {Display::Inline, Role::Input});
    set({"audio"}, {Display::Inline, Role::Audio});
    set({"dialog"}, {Display::Block, Role::Dialog});
    set({"details"}, {Display::Block, Role::Details});
    set({"select"}, {Display::InlineBlock, Role::Select});
    set({"optgroup"}, {Display::Block, Role::Optgroup});
    set({"button", "marquee"}, {Display::InlineBlock});
    set({"table"}, {Display::Block, Role::TableWrapper});
    set({"thead", "tbody", "tfoot"}, {Display::TableGroup, Role::TableWrapper});
    set({"tr"}, {Display::TableRow, Role::TableWrapper});
    set({"td", "th"}, {Display::TableCell});
    set({"slot"}, {Display::Contents});
    return t;
}

const QHash<QByteArray, TagInfo>& nameTable()
{
    static const QHash<QByteArray, TagInfo> table = buildNameTable();
    return table;
}

const TagInfo kInline{};

} // namespace

const TagInfo& tagInfo(int gumboTag)
{
    static const auto byTag = [] {
        std::array<TagInfo, GUMBO_TAG_LAST + 1> a{};
        for (int tag = 0; tag < GUMBO_TAG_UNKNOWN; ++tag) {
            const char* name = gumbo_normalized_tagname(static_cast<GumboTag>(tag));
            a[tag] = nameTable().value(QByteArray(name), kInline);
        }
        return a;
    }();
    if (gumboTag < 0 || gumboTag > GUMBO_TAG_LAST)
        return kInline;
    return byTag[gumboTag];
}

const TagInfo& tagInfoByName(QByteArrayView lowerName)
{
    const auto& table = nameTable();
    const auto it = table.constFind(lowerName.toByteArray());
    return it == table.constEnd() ? kInline : it.value();
}

} // namespace tv
