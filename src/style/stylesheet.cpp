#include "style/stylesheet.h"

#include "style/csstokenizer.h"
#include "style/mediaqueries.h"
#include "style/supportsquery.h"

namespace tv::css {

namespace {

// A selector or at-rule prelude longer than this is no real one: it is read past, not kept.
constexpr qsizetype kMaxPreludeTokens = 4096;

struct Prelude {
    std::vector<Token> tokens;
    Token stop; // the '{', ';' or '}' that ended it, or End
    bool overflow = false;
};

Prelude readPrelude(Tokenizer& tokens, const Token& first, bool atRule)
{
    Prelude p;
    int depth = 0;
    for (Token t = first;; t = tokens.next()) {
        if (t.is(TokenType::End)) {
            p.stop = t;
            return p;
        }
        if (depth == 0 && (t.is(TokenType::OpenCurly) || t.is(TokenType::CloseCurly) ||
                           (atRule && t.is(TokenType::Semicolon)))) {
            p.stop = t;
            return p;
        }
        if (t.is(TokenType::OpenParen) || t.is(TokenType::Function) || t.is(TokenType::OpenSquare))
            ++depth;
        else if (t.is(TokenType::CloseParen) || t.is(TokenType::CloseSquare))
            depth = std::max(0, depth - 1);
        if (qsizetype(p.tokens.size()) < kMaxPreludeTokens)
            p.tokens.push_back(t);
        else
            p.overflow = true;
    }
}

std::vector<Token> significant(const std::vector<Token>& tokens, std::size_t from = 0)
{
    std::vector<Token> out;
    for (std::size_t i = from; i < tokens.size(); ++i) {
        if (!tokens[i].is(TokenType::Whitespace))
            out.push_back(tokens[i]);
    }
    return out;
}

qsizetype selectorMemory(const ComplexSelector& s)
{
    qsizetype bytes = qsizetype(sizeof s);
    for (const Compound& c : s.compounds) {
        bytes += qsizetype(sizeof c) + c.tag.size() + c.id.size();
        for (const QByteArray& cls : c.classes)
            bytes += qsizetype(sizeof cls) + cls.size();
        for (const PseudoTest& p : c.pseudos) {
            bytes += qsizetype(sizeof p);
            for (const ComplexSelector& inner : p.list)
                bytes += selectorMemory(inner);
        }
        bytes += qsizetype(c.attributes.size() * sizeof(AttributeTest));
    }
    return bytes;
}

} // namespace

class SheetReader {
public:
    SheetReader(StyleSheet& sheet, QByteArrayView css, bool importsOnly = false)
        : m_sheet(sheet), m_tokens(css), m_importsOnly(importsOnly)
    {
    }
    void run();

private:
    struct Block {
        int layer; // the layer its rules belong to
        QByteArray layerName;
    };

    int currentLayer() const { return m_blocks.empty() ? -1 : m_blocks.back().layer; }
    QByteArray currentLayerName() const
    {
        return m_blocks.empty() ? QByteArray() : m_blocks.back().layerName;
    }
    QByteArray layerPath(QByteArrayView name) const
    {
        const QByteArray outer = currentLayerName();
        return outer.isEmpty() ? QByteArray(name.data(), name.size())
                               : outer + '.' + QByteArray(name.data(), name.size());
    }
    void atRule(const Token& keyword);
    void import(const std::vector<Token>& prelude);
    void qualifiedRule(const Token& first);
    void enter(int layer, const QByteArray& layerName);

    StyleSheet& m_sheet;
    Tokenizer m_tokens;
    std::vector<Block> m_blocks; // group rules entered and not yet closed
    bool m_importsAllowed = true;
    bool m_importsOnly;
    QHash<QByteArray, int> m_seen; // a rule's selectors, layer and declarations: its index
};

void SheetReader::enter(int layer, const QByteArray& layerName)
{
    if (int(m_blocks.size()) >= StyleSheet::kMaxBlockDepth) {
        m_sheet.m_truncated = true;
        skipBlock(m_tokens);
        return;
    }
    m_blocks.push_back({layer, layerName});
}

void SheetReader::run()
{
    while (!(m_importsOnly && !m_importsAllowed)) {
        const Token t = m_tokens.next();
        switch (t.type) {
        case TokenType::End:
            return;
        case TokenType::Whitespace:
        case TokenType::Cdo:
        case TokenType::Cdc:
        case TokenType::Semicolon:
            break;
        case TokenType::CloseCurly:
            if (!m_blocks.empty())
                m_blocks.pop_back();
            break;
        case TokenType::AtKeyword:
            atRule(t);
            break;
        default:
            if (m_importsOnly)
                return;
            qualifiedRule(t);
            break;
        }
    }
}

void SheetReader::atRule(const Token& keyword)
{
    const QByteArrayView name = keyword.text;
    const Prelude prelude = readPrelude(m_tokens, m_tokens.next(), true);
    const bool block = prelude.stop.is(TokenType::OpenCurly);
    if (prelude.stop.is(TokenType::CloseCurly) && !m_blocks.empty())
        m_blocks.pop_back();
    if (!block) {
        if (equalsLower(name, "import") && m_importsAllowed && m_blocks.empty() &&
            !prelude.overflow) {
            import(prelude.tokens);
            return;
        }
        if (equalsLower(name, "layer")) {
            // A statement: declares the order of the named layers.
            for (const Token& t : prelude.tokens) {
                if (t.is(TokenType::Ident))
                    m_sheet.layerIndex(layerPath(t.text));
            }
            return;
        }
        if (!equalsLower(name, "charset") && !equalsLower(name, "namespace"))
            m_importsAllowed = false;
        return;
    }
    m_importsAllowed = false;
    if (prelude.overflow) {
        skipBlock(m_tokens);
        return;
    }
    if (equalsLower(name, "media")) {
        if (mediaMatches(prelude.tokens))
            enter(currentLayer(), currentLayerName());
        else
            skipBlock(m_tokens);
    } else if (equalsLower(name, "supports")) {
        if (supportsHolds(prelude.tokens))
            enter(currentLayer(), currentLayerName());
        else
            skipBlock(m_tokens);
    } else if (equalsLower(name, "layer")) {
        const std::vector<Token> words = significant(prelude.tokens);
        QByteArray layerName;
        for (const Token& t : words)
            layerName += QByteArray(t.text.data(), t.text.size());
        if (layerName.isEmpty())
            layerName = "\x01" + QByteArray::number(++m_sheet.m_anonymousLayers);
        const QByteArray path = layerPath(layerName);
        enter(m_sheet.layerIndex(path), path);
    } else {
        // @font-face, @keyframes, @page and the like hold nothing for the text; @container
        // and @scope depend on a layout this reader does not make.
        skipBlock(m_tokens);
    }
}

void SheetReader::import(const std::vector<Token>& prelude)
{
    ImportRule rule{{}, true, false, {}};
    std::size_t i = 0;
    while (i < prelude.size() && prelude[i].is(TokenType::Whitespace))
        ++i;
    if (i >= prelude.size())
        return;
    const Token& target = prelude[i];
    if (target.is(TokenType::String) || target.is(TokenType::Url)) {
        rule.url = QByteArray(target.text.data(), target.text.size());
        ++i;
    } else if (target.isIdent("url", TokenType::Function)) {
        std::size_t j = i + 1;
        while (j < prelude.size() && prelude[j].is(TokenType::Whitespace))
            ++j;
        if (j >= prelude.size() || !prelude[j].is(TokenType::String))
            return;
        rule.url = QByteArray(prelude[j].text.data(), prelude[j].text.size());
        while (j < prelude.size() && !prelude[j].is(TokenType::CloseParen))
            ++j;
        i = j + 1;
    } else {
        return;
    }
    while (i < prelude.size() && prelude[i].is(TokenType::Whitespace))
        ++i;
    if (i < prelude.size() && prelude[i].isIdent("layer")) {
        rule.layered = true;
        ++i;
    } else if (i < prelude.size() && prelude[i].isIdent("layer", TokenType::Function)) {
        rule.layered = true;
        for (++i; i < prelude.size() && !prelude[i].is(TokenType::CloseParen); ++i) {
            if (!prelude[i].is(TokenType::Whitespace))
                rule.layer += QByteArray(prelude[i].text.data(), prelude[i].text.size());
        }
        ++i;
    }
    while (i < prelude.size() && prelude[i].is(TokenType::Whitespace))
        ++i;
    if (i < prelude.size() && prelude[i].isIdent("supports", TokenType::Function)) {
        std::size_t close = i + 1;
        int depth = 1;
        for (; close < prelude.size(); ++close) {
            if (prelude[close].is(TokenType::OpenParen) || prelude[close].is(TokenType::Function))
                ++depth;
            else if (prelude[close].is(TokenType::CloseParen) && --depth == 0)
                break;
        }
        std::vector<Token> condition(prelude.begin() + qsizetype(i + 1),
                                     prelude.begin() + qsizetype(std::min(close, prelude.size())));
        // supports(display: grid) takes a bare declaration as well as a condition.
        const std::vector<Token> words = significant(condition);
        bool holds = false;
        if (words.size() >= 2 && words[0].is(TokenType::Ident) && words[1].is(TokenType::Colon)) {
            Token open;
            open.type = TokenType::OpenParen;
            Token close;
            close.type = TokenType::CloseParen;
            std::vector<Token> wrapped{open};
            wrapped.insert(wrapped.end(), condition.begin(), condition.end());
            wrapped.push_back(close);
            holds = supportsHolds(wrapped);
        } else {
            holds = supportsHolds(condition);
        }
        rule.applies = rule.applies && holds;
        i = close + 1;
    }
    const std::vector<Token> media(prelude.begin() + qsizetype(std::min(i, prelude.size())),
                                   prelude.end());
    rule.applies = rule.applies && mediaMatches(media);
    m_sheet.m_imports.push_back(std::move(rule));
}

void SheetReader::qualifiedRule(const Token& first)
{
    m_importsAllowed = false;
    const Prelude prelude = readPrelude(m_tokens, first, false);
    if (prelude.stop.is(TokenType::CloseCurly)) {
        // A stray prelude without a block: it goes, and the '}' closes the enclosing block.
        if (!m_blocks.empty())
            m_blocks.pop_back();
        return;
    }
    if (!prelude.stop.is(TokenType::OpenCurly))
        return;
    const Declarations declarations = readDeclarations(m_tokens);
    if (declarations.isEmpty() || prelude.overflow || prelude.tokens.empty())
        return;
    // Copies of a rule (same selectors, layer and declarations) are found by their text.
    const QByteArrayView source = m_tokens.source();
    qsizetype textBegin = prelude.tokens.front().begin;
    qsizetype textEnd = prelude.tokens.back().end;
    QByteArray key = source.sliced(textBegin, textEnd - textBegin).toByteArray().trimmed();
    key += '{';
    key += QByteArray::number(currentLayer());
    key += QByteArrayView(reinterpret_cast<const char*>(declarations.values.data()),
                          qsizetype(declarations.values.size()));
    key += char(declarations.important);
    if (const auto seen = m_seen.constFind(key); seen != m_seen.constEnd()) {
        m_sheet.m_rules[std::size_t(*seen)].order = m_sheet.m_orderCount++;
        return;
    }
    std::vector<ComplexSelector> selectors = parseSelectorList(prelude.tokens);
    std::erase_if(selectors, [](const ComplexSelector& s) { return s.pseudoElement; });
    if (selectors.empty())
        return;
    if (qsizetype(m_sheet.m_rules.size()) >= StyleSheet::kMaxRules) {
        m_sheet.m_truncated = true;
        return;
    }
    StyleRule rule;
    rule.selectors = std::move(selectors);
    rule.declarations = declarations;
    rule.layer = currentLayer();
    rule.order = m_sheet.m_orderCount++;
    m_seen.insert(key, int(m_sheet.m_rules.size()));
    qsizetype bytes = qsizetype(sizeof rule);
    for (const ComplexSelector& s : rule.selectors)
        bytes += selectorMemory(s);
    m_sheet.m_memory += bytes;
    m_sheet.m_rules.push_back(std::move(rule));
}

int StyleSheet::layerIndex(const QByteArray& name)
{
    const auto found = m_layerIndex.constFind(name);
    if (found != m_layerIndex.constEnd())
        return *found;
    m_layers.push_back(name);
    m_layerIndex.insert(name, int(m_layers.size() - 1));
    return int(m_layers.size() - 1);
}

StyleSheet::StyleSheet(QByteArrayView css)
{
    SheetReader(*this, css).run();
}

std::vector<ImportRule> StyleSheet::leadingImports(QByteArrayView css)
{
    StyleSheet sheet;
    SheetReader(sheet, css, true).run();
    return std::move(sheet.m_imports);
}

} // namespace tv::css
