#include "wordchartview.h"

#include "platform/dialogs.h"
#include "platform/guard.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tv {

class WordChartView::Canvas : public QWidget {
public:
    explicit Canvas(const WordChart& chart) : m_chart(chart)
    {
        setObjectName(QStringLiteral("chartCanvas"));
    }
    void refresh()
    {
        const WordChart::Layout shape = m_chart.layout(font(), m_chart.preferredWidth(font()));
        setMinimumSize(shape.size.toSize());
        updateGeometry();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        m_chart.paint(painter, font(), m_chart.layout(font(), width()));
    }

private:
    const WordChart& m_chart;
};

WordChartView::WordChartView(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_dialogs(dialogs), m_top(new QSpinBox(this)),
      m_scroll(new QScrollArea(this)), m_canvas(new Canvas(m_chart))
{
    setObjectName(QStringLiteral("wordChart"));
    m_top->setObjectName(QStringLiteral("chartTop"));
    m_top->setRange(WordChart::kMinTop, WordChart::kMaxTop);
    m_top->setValue(20);
    m_top->setSuffix(QStringLiteral(" words"));
    auto* topLabel = new QLabel(QStringLiteral("&Show the top"), this);
    topLabel->setBuddy(m_top);
    auto* png = new QPushButton(QStringLiteral("Save as &PNG..."), this);
    png->setObjectName(QStringLiteral("chartSavePng"));
    auto* svg = new QPushButton(QStringLiteral("Save as S&VG..."), this);
    svg->setObjectName(QStringLiteral("chartSaveSvg"));

    auto* controls = new QHBoxLayout;
    controls->addWidget(topLabel);
    controls->addWidget(m_top);
    controls->addStretch(1);
    controls->addWidget(png);
    controls->addWidget(svg);
    m_scroll->setWidget(m_canvas);
    m_scroll->setWidgetResizable(true);
    m_scroll->setBackgroundRole(QPalette::Base);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_scroll, 1);

    connect(m_top, &QSpinBox::valueChanged, this, [this] { rebuild(); });
    connect(png, &QPushButton::clicked, this, [this] { savePng(); });
    connect(svg, &QPushButton::clicked, this, [this] { saveSvg(); });
    rebuild();
}

void WordChartView::setRows(const WordRows& rows)
{
    m_rows = rows;
    rebuild();
}

void WordChartView::setTop(int top)
{
    m_top->setValue(top);
}

int WordChartView::top() const
{
    return m_top->value();
}

void WordChartView::rebuild()
{
    m_chart.setRows(m_rows, m_top->value());
    m_canvas->refresh();
}

void WordChartView::savePng(const QString& path)
{
    save(path, false);
}

void WordChartView::saveSvg(const QString& path)
{
    save(path, true);
}

void WordChartView::save(const QString& given, bool svg)
{
    const QString path = !given.isEmpty() ? given
                         : svg
                             ? m_dialogs.saveFileName(QStringLiteral("Save the Chart as SVG"),
                                                      QStringLiteral("SVG Images (*.svg)|*.svg|"))
                             : m_dialogs.saveFileName(QStringLiteral("Save the Chart as PNG"),
                                                      QStringLiteral("PNG Images (*.png)|*.png|"));
    if (path.isEmpty())
        return;
    const qreal width = std::max<qreal>(m_canvas->width(), m_chart.preferredWidth(font()));
    try {
        if (svg)
            m_chart.saveSvg(path, font(), width);
        else
            m_chart.savePng(path, font(), width, std::max<qreal>(devicePixelRatioF(), 1));
    } catch (const Failure& failure) {
        m_dialogs.information(failure.description());
    }
}

} // namespace tv
