#include "wordchart.h"

#include "platform/guard.h"
#include "words/rowfilters.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>

namespace tv {

namespace {

const QColor kBar(0x2f, 0x5f, 0x98);
const QColor kInk(0x20, 0x20, 0x20);
// Words longer than this many average characters are elided in the middle.
constexpr qreal kLabelChars = 24;

// The same size on every device: an SVG file counts 72 dots to the inch, a screen 96 or more.
QFont inPixels(const QFont& font)
{
    QFont fixed = font;
    fixed.setPixelSize(QFontInfo(font).pixelSize());
    return fixed;
}

} // namespace

void WordChart::setRows(const WordRows& rows, int top)
{
    m_top = std::clamp(top, kMinTop, kMaxTop);
    m_given = qint64(rows.size());
    RowFilters filters;
    filters.top = m_top;
    filters.order = RowOrder::CountDescending;
    m_shown = filterRows(rows, filters);
    // Equal counts at the cut may let a few more through: the chart shows `top` bars at most.
    if (qint64(m_shown.size()) > m_top)
        m_shown.resize(size_t(m_top));
}

QString WordChart::title() const
{
    const QLocale locale;
    return QStringLiteral("The %1 most frequent of %2 words")
        .arg(locale.toString(qint64(m_shown.size())), locale.toString(m_given));
}

qreal WordChart::preferredWidth(const QFont& font) const
{
    const QFontMetricsF metrics(font);
    return metrics.averageCharWidth() * (kLabelChars + 60);
}

WordChart::Layout WordChart::layout(const QFont& font, qreal width) const
{
    const QFontMetricsF metrics(font);
    const qreal line = metrics.height();
    const qreal gap = std::round(line * 0.3);
    const qreal margin = std::round(line * 0.8);
    const qreal rowHeight = line + gap;
    qreal labelWidth = 0;
    for (const WordRow& row : m_shown)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(row.word));
    labelWidth = std::min(labelWidth, metrics.averageCharWidth() * kLabelChars);
    const qint64 most = m_shown.empty() ? 1 : std::max<qint64>(m_shown.front().count, 1);
    const qreal countRoom = metrics.horizontalAdvance(QLocale().toString(most)) + 2 * gap;

    Layout layout;
    layout.title = QRectF(margin, margin, std::max(width - 2 * margin, 1.0), line);
    const qreal barLeft = margin + labelWidth + gap;
    const qreal barRoom = std::max(width - barLeft - margin - countRoom, line);
    qreal y = layout.title.bottom() + gap * 2;
    for (const WordRow& row : m_shown) {
        layout.labels << QRectF(margin, y, labelWidth, line);
        const qreal length = std::max(barRoom * qreal(row.count) / qreal(most), 2.0);
        const QRectF bar(barLeft, y, length, line);
        layout.bars << bar;
        const qreal text = metrics.horizontalAdvance(QLocale().toString(row.count)) + 2 * gap;
        const bool inside = text <= length;
        layout.countInside << inside;
        layout.counts << (inside ? QRectF(bar.right() - text, y, text, line)
                                 : QRectF(bar.right(), y, text, line));
        y += rowHeight;
    }
    layout.size = QSizeF(width, y + margin);
    return layout;
}

void WordChart::paint(QPainter& painter, const QFont& font, const Layout& layout) const
{
    const QFontMetricsF metrics(font);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(QRectF(QPointF(0, 0), layout.size), Qt::white);
    QFont bold = font;
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(kInk);
    painter.drawText(layout.title, Qt::AlignLeft | Qt::AlignVCenter, title());
    painter.setFont(font);
    for (qsizetype i = 0; i < layout.bars.size(); ++i) {
        const WordRow& row = m_shown[size_t(i)];
        painter.setPen(kInk);
        // Words come from web pages: drawn as plain text, long ones elided in the middle.
        painter.drawText(layout.labels[i], Qt::AlignRight | Qt::AlignVCenter,
                         metrics.elidedText(row.word, Qt::ElideMiddle, layout.labels[i].width()));
        painter.fillRect(layout.bars[i], kBar);
        painter.setPen(layout.countInside[i] ? QColor(Qt::white) : kInk);
        painter.drawText(layout.counts[i], Qt::AlignCenter, QLocale().toString(row.count));
    }
    painter.restore();
}

void WordChart::savePng(const QString& path, const QFont& given, qreal width, qreal scale) const
{
    const QFont font = inPixels(given);
    const Layout shape = layout(font, width);
    QImage image((shape.size * scale).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paint(painter, font, shape);
    }
    if (!image.save(path, "PNG"))
        throw Failure(QStringLiteral("Cannot save the chart as \"%1\"").arg(path));
}

void WordChart::saveSvg(const QString& path, const QFont& given, qreal width) const
{
    const QFont font = inPixels(given);
    const Layout shape = layout(font, width);
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(shape.size.toSize());
    svg.setViewBox(QRectF(QPointF(0, 0), shape.size));
    svg.setTitle(title());
    QPainter painter;
    if (!painter.begin(&svg))
        throw Failure(QStringLiteral("Cannot save the chart as \"%1\"").arg(path));
    paint(painter, font, shape);
    if (!painter.end())
        throw Failure(QStringLiteral("Cannot save the chart as \"%1\"").arg(path));
}

} // namespace tv
