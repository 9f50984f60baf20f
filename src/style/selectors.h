#pragma once
// Selectors as a browser reads them (Selectors Level 3, with :is, :where, :not of lists, :has
// and the "of S" form of :nth-child), parsed once per style sheet. Dynamic pseudo-classes
// (:hover, :focus, :visited, ...) parse but never match on a page nobody touches; a selector
// that ends in a pseudo-element (::before, ::marker, ...) matches no element.
#include "style/csstokenizer.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace tv::css {

enum class Combinator : std::uint8_t { Descendant, Child, NextSibling, SubsequentSibling };

enum class AttributeMatch : std::uint8_t {
    Exists,    // [a]
    Equals,    // [a=v]
    Includes,  // [a~=v]
    DashMatch, // [a|=v]
    Prefix,    // [a^=v]
    Suffix,    // [a$=v]
    Substring, // [a*=v]
};

struct AttributeTest {
    QByteArray name; // lower case
    QByteArray value;
    AttributeMatch match = AttributeMatch::Exists;
    bool ignoreCase = false; // the i flag, or an attribute HTML compares without case
};

enum class PseudoClass : std::uint8_t {
    Never, // dynamic and shadow states: never true on a static page
    Root,
    Empty,
    FirstChild,
    LastChild,
    OnlyChild,
    FirstOfType,
    LastOfType,
    OnlyOfType,
    NthChild, // a, b and the optional "of" list
    NthLastChild,
    NthOfType,
    NthLastOfType,
    AnyLink, // :link and :any-link: a and area with an href
    Checked,
    Disabled,
    Enabled,
    Required,
    Optional,
    ReadOnly,
    ReadWrite,
    PlaceholderShown,
    Defined,
    Open, // details and dialog with open
    Lang, // argument: the ranges, separated by commas
    Dir,  // argument: ltr or rtl
    Not,
    Is, // :is, :matches, :-webkit-any, and :where (no specificity)
    Has,
};

struct ComplexSelector;

struct PseudoTest {
    PseudoClass kind = PseudoClass::Never;
    int a = 0; // An+B of the nth- forms
    int b = 0;
    QByteArray argument; // :lang and :dir, lower case
    // :not, :is, :where, nth "of S"; for :has, each entry ends (leftmost) in the anchor.
    std::vector<ComplexSelector> list;
};

struct Compound {
    bool isAnchor = false; // inside :has, the element :has is tested on (nothing else to test)
    QByteArray tag;        // lower case; empty for any element
    QByteArray id;
    std::vector<QByteArray> classes;
    std::vector<AttributeTest> attributes;
    std::vector<PseudoTest> pseudos;
};

struct ComplexSelector {
    // Right to left: compounds[0] is the subject; combinators[i] joins compounds[i] to
    // compounds[i + 1], its left neighbour.
    std::vector<Compound> compounds;
    std::vector<Combinator> combinators;
    std::uint32_t specificity = 0; // ids << 20 | classes << 10 | types, each at most 1023
    bool pseudoElement = false;    // ends in a pseudo-element: matches no element
};

// Specificity of one id, class and type.
inline constexpr std::uint32_t kIdSpecificity = 1u << 20;
inline constexpr std::uint32_t kClassSpecificity = 1u << 10;
inline constexpr std::uint32_t kTypeSpecificity = 1u;

// The selector list of a rule's prelude (tokens without the '{'). Empty when the list is
// invalid: one selector a browser would not accept makes the whole rule go, as in browsers.
std::vector<ComplexSelector> parseSelectorList(const std::vector<Token>& prelude);

// The sum of two specificities, each component capped.
std::uint32_t addSpecificity(std::uint32_t a, std::uint32_t b);

} // namespace tv::css
