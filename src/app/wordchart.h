#pragma once
// A bar chart of the most frequent words of a list of rows: one horizontal bar per word, most
// frequent at the top, the word to the left of its bar and the count on it. Drawn with Qt's
// painter from the font it is given, so that it grows with the screen's scaling, and saved as
// PNG or SVG.
#include "words/wordrows.h"

#include <QFont>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;

namespace tv {

class WordChart {
public:
    static constexpr int kMinTop = 10;
    static constexpr int kMaxTop = 100;

    // Where each piece of the chart goes, for a given font and width.
    struct Layout {
        QSizeF size;
        QRectF title;
        QList<QRectF> labels; // one per bar, the word's box
        QList<QRectF> bars;   // the bar itself
        QList<QRectF> counts; // the count's box: on the bar, or after it when the bar is short
        QList<bool> countInside;
    };

    // Takes the `top` most frequent of `rows` (equal counts by word), `top` kept within
    // kMinTop to kMaxTop.
    void setRows(const WordRows& rows, int top);
    const WordRows& shown() const { return m_shown; }
    int top() const { return m_top; }
    qint64 rowsGiven() const { return m_given; }
    QString title() const;

    Layout layout(const QFont& font, qreal width) const;
    // The width the chart wants with `font`: room for the longest word and a useful bar.
    qreal preferredWidth(const QFont& font) const;
    void paint(QPainter& painter, const QFont& font, const Layout& layout) const;

    // Saves the chart at `width` (in the font's pixels) as PNG, drawn at `scale` times its
    // size, or as SVG. Throw Failure when the file cannot be written.
    void savePng(const QString& path, const QFont& font, qreal width, qreal scale) const;
    void saveSvg(const QString& path, const QFont& font, qreal width) const;

private:
    WordRows m_shown;
    int m_top = kMinTop;
    qint64 m_given = 0;
};

} // namespace tv
