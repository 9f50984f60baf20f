#pragma once
// The chart of the most frequent words as a view: how many bars (10 to 100), the chart in a
// scrolling area, and saving it as PNG or SVG. Takes the rows as they are shown, filters and all.
#include "app/wordchart.h"

#include <QWidget>

class QLabel;
class QScrollArea;
class QSpinBox;

namespace tv {

class Dialogs;

class WordChartView : public QWidget {
    Q_OBJECT
public:
    explicit WordChartView(Dialogs& dialogs, QWidget* parent = nullptr);

    // The rows to chart, in any order; the chart shows the `top` most frequent.
    void setRows(const WordRows& rows);
    void setTop(int top);
    int top() const;
    const WordChart& chart() const { return m_chart; }

    // Save the chart at the view's scale; a file the user picks when `path` is empty. Failures
    // are shown through the dialogs' information box.
    void savePng(const QString& path = {});
    void saveSvg(const QString& path = {});

private:
    void rebuild();
    void save(const QString& path, bool svg);

    class Canvas;
    Dialogs& m_dialogs;
    WordRows m_rows;
    WordChart m_chart;
    QSpinBox* m_top;
    QScrollArea* m_scroll;
    Canvas* m_canvas;
};

} // namespace tv
