#include "form1.h"

#include "fetch/networkpagesource.h"
#include "platform/guard.h"
#include "sites/sitecommands.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTreeView>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tv {

namespace {

// The layout is given in twips; 15 twips make one pixel at 96 dots per inch.
int px(int twips)
{
    return twips / 15;
}

void place(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(px(left), px(top), px(width), px(height));
}

// A captioned control under its layout name, at its layout place.
template <class T>
T* makeControl(QWidget* parent, const char* name, const QString& caption, int left, int top,
               int width, int height)
{
    auto* control = new T(caption, parent);
    control->setObjectName(QString::fromLatin1(name));
    place(control, left, top, width, height);
    return control;
}

const char* const kListTip =
    "Double-click item to remove it. Move | line to right and out of window to reveal full names.";

QTreeView* makeList(QWidget* parent, const char* name, QAbstractItemModel* model)
{
    auto* view = new QTreeView(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setToolTip(QString::fromLatin1(kListTip));
    view->header()->setStretchLastSection(false);
    view->header()->setSectionsMovable(false);
    view->setMouseTracking(true);
    view->viewport()->setMouseTracking(true);
    return view;
}

} // namespace

Form1::Form1(const Form1Services& services, QWidget* parent) : QWidget(parent), m_services(services)
{
    setObjectName(QStringLiteral("Form1"));
    buildControls();
    connectEvents();
}

Form1::~Form1() = default;

QPushButton* Form1::addButton(const char* name, const QString& caption, int left, int top,
                              int width, int height)
{
    auto* button = makeControl<QPushButton>(this, name, caption, left, top, width, height);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(11.25);
    font.setBold(true);
    button->setFont(font);
    button->setMouseTracking(true);
    return button;
}

void Form1::buildControls()
{
    setFixedSize(px(8040), px(10035));
    QFont font(QStringLiteral("Arial"), 9);
    font.setBold(true);
    setFont(font);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    setMouseTracking(true);

    ListView1 = makeList(this, "ListView1", &m_sites);
    place(ListView1, 120, 120, 7800, 1575);
    PushButton7 = addButton("PushButton7", QStringLiteral("Add One URL"), 120, 1780, 3840, 405);
    PushButton13 =
        addButton("PushButton13", QStringLiteral("Load From File"), 4080, 1780, 3840, 405);
    PushButton11 = addButton("PushButton11", QStringLiteral("Clear List"), 120, 2290, 3840, 405);
    PushButton8 = addButton("PushButton8", QStringLiteral("Load Sample/Example Sites"), 4080, 2290,
                            3840, 405);

    Frame1 =
        makeControl<QGroupBox>(this, "Frame1", QStringLiteral("Options"), 120, 3270, 7800, 1440);

    PushButton17 = addButton("PushButton17", QStringLiteral("Remove Entries Containing X"), 120,
                             2800, 3840, 405);
    PushButton10 = addButton("PushButton10", QStringLiteral("Remove Entries Not Containing X"),
                             4080, 2800, 3840, 405);

    Option2 = makeControl<QRadioButton>(
        Frame1, "Option2", QStringLiteral("Give one count for all URL(s)"), 240, 300, 3750, 255);
    Option1 = makeControl<QRadioButton>(Frame1, "Option1",
                                        QStringLiteral("Give separate counts for each URL"), 240,
                                        650, 3750, 255);
    Check3 = makeControl<QCheckBox>(Frame1, "Check3", QStringLiteral("Ignore letter case"), 240,
                                    1000, 1935, 255);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    place(ProgressBar1, 120, 9510, 7800, 405);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(true);
    ProgressBar1->setAlignment(Qt::AlignCenter);
    ProgressBar1->setFormat(QStringLiteral("Progress Bar"));

    PushButton12 =
        addButton("PushButton12", QStringLiteral("Start Counting"), 120, 5955, 7800, 405);
    ListView2 = makeList(this, "ListView2", &m_results);
    place(ListView2, 120, 6465, 7800, 1935);
    PushButton6 =
        addButton("PushButton6", QStringLiteral("Save Results As Text File"), 120, 8490, 3840, 405);
    PushButton1 = addButton("PushButton1", QStringLiteral("Save Results As Excel File"), 4080, 8490,
                            3840, 405);
    PushButton2 =
        addButton("PushButton2", QStringLiteral("Copy Results To Clipboard"), 120, 9000, 3840, 405);
    PushButton9 = addButton("PushButton9", QStringLiteral("Clear Results"), 4080, 9000, 3840, 405);

    Frame2 = makeControl<QGroupBox>(this, "Frame2", QStringLiteral("Processing Speed Option"), 120,
                                    4815, 7800, 1020);
    Option3 = makeControl<QRadioButton>(
        Frame2, "Option3", QStringLiteral("MS Access Method (faster)"), 240, 300, 3840, 255);
    Option4 = makeControl<QRadioButton>(
        Frame2, "Option4", QStringLiteral("Regular Text Method (slower)"), 240, 650, 4455, 255);

    styleSheetsOption = makeControl<QCheckBox>(Frame1, "styleSheetsOption",
                                               QStringLiteral("Read pages with their style sheets"),
                                               4080, 1000, 3600, 255);
    styleSheetsOption->setChecked(true);

    for (QWidget* w : std::initializer_list<QWidget*>{Frame1, Frame2, Option1, Option2, Option3,
                                                      Option4, Check3, styleSheetsOption}) {
        w->setPalette(white);
        w->setMouseTracking(true);
    }
    ProgressBar1->setMouseTracking(true);

    Option2->setChecked(true);
    Check3->setChecked(true);
    Option3->setChecked(true);

    // Tab order of the layout; the frames and the progress bar take no focus themselves.
    const QList<QWidget*> tabOrder = {
        ListView1,    PushButton7,  PushButton13, PushButton11, PushButton8, Frame1,
        PushButton17, PushButton10, Option2,      Option1,      Check3,      ProgressBar1,
        PushButton12, ListView2,    PushButton6,  PushButton1,  PushButton2, PushButton9,
        Frame2,       Option3,      Option4};
    QWidget* previous = nullptr;
    for (int i = 0; i < tabOrder.size(); ++i) {
        tabOrder[i]->setProperty("TabIndex", i);
        if (tabOrder[i]->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            setTabOrder(previous, tabOrder[i]);
        previous = tabOrder[i];
    }
}

void Form1::connectEvents()
{
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    ListView1->viewport()->installEventFilter(this);
    ListView2->viewport()->installEventFilter(this);

    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            runUnguarded(QStringLiteral("Form1"), QStringLiteral("Option1_Click"),
                         [this] { Option1_Click(); });
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            runUnguarded(QStringLiteral("Form1"), QStringLiteral("Option2_Click"),
                         [this] { Option2_Click(); });
    });
    connect(Option3, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            runUnguarded(QStringLiteral("Form1"), QStringLiteral("Option3_Click"),
                         [this] { Option3_Click(); });
    });
    connect(Option4, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            runUnguarded(QStringLiteral("Form1"), QStringLiteral("Option4_Click"),
                         [this] { Option4_Click(); });
    });
    connectCommands();
    connect(&m_results, &ResultsModel::widthsChanged, this, &Form1::applyResultWidths);
    connect(&m_results, &QAbstractItemModel::modelReset, this, &Form1::applyResultWidths);
}

void Form1::applyResultWidths()
{
    for (int c = 1; c <= m_results.columns(); ++c)
        ListView2->header()->resizeSection(c - 1, px(m_results.width(c)));
}

void Form1::setPointerMode(int mode)
{
    m_pointerMode = mode;
    if (mode == PointerHourglass)
        setCursor(Qt::WaitCursor);
    else if (mode == PointerCustom && m_customCursor)
        setCursor(*m_customCursor);
    else
        unsetCursor();
}

void Form1::pointerHandRule()
{
    if (m_pointerMode != PointerHourglass)
        setPointerMode(PointerCustom);
}

void Form1::pointerArrowRule()
{
    if (m_pointerMode != PointerHourglass)
        setPointerMode(PointerDefault);
}

void Form1::mouseMoveEvent(QMouseEvent* event)
{
    pointerArrowRule();
    QWidget::mouseMoveEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        QObject* control = watched;
        if (control == ListView1->viewport())
            control = ListView1;
        else if (control == ListView2->viewport())
            control = ListView2;
        if (qobject_cast<QPushButton*>(control) || control == Check3 ||
            control == styleSheetsOption) {
            runUnguarded(QStringLiteral("Form1"), QStringLiteral("PushButton_MouseMove"),
                         [this] { pointerHandRule(); });
            // Unhandled, the move would travel on to the window and its arrow rule.
            return static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton;
        }
        if (control == ListView1 || control == ListView2 || control == Frame1 ||
            control == Frame2) {
            runUnguarded(QStringLiteral("Form1"), QStringLiteral("ListView_MouseMove"),
                         [this] { pointerArrowRule(); });
            return false;
        }
        // Option buttons and the progress bar keep whatever pointer the window has.
        if (qobject_cast<QRadioButton*>(control) || control == ProgressBar1)
            return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick && watched == ListView2->viewport()) {
        runUnguarded(QStringLiteral("Form1"), QStringLiteral("ListView2_DblClick"),
                     [this] { ListView2_DblClick(); });
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick && watched == ListView1->viewport()) {
        const QModelIndex current = ListView1->selectionModel()->currentIndex();
        runUnguarded(QStringLiteral("Form1"), QStringLiteral("ListView1_DblClick"), [&] {
            tv::ListView1_DblClick(m_sites, current.isValid() ? current.row() + 1 : 0, *this);
        });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_commandDepth > 0) {
        // A command is still running inside a nested event loop and would hold the program
        // until it ends: end at once instead. Settings are written when they change, and the
        // database keeps its own journal, so nothing is lost.
        if (m_services.endProgramNow) {
            m_services.endProgramNow();
            return;
        }
        std::fflush(nullptr);
        std::_Exit(0);
    }
}

void Form1::setOptionValue(QRadioButton* option, bool value)
{
    if (option->isChecked() == value)
        return;
    if (value) {
        option->setChecked(true);
        return;
    }
    // An exclusive group refuses to clear its selected button directly.
    QWidget* group = option->parentWidget();
    const QList<QRadioButton*> buttons = group->findChildren<QRadioButton*>();
    for (QRadioButton* b : buttons)
        b->setAutoExclusive(false);
    const QSignalBlocker block(option);
    option->setChecked(false);
    for (QRadioButton* b : buttons)
        b->setAutoExclusive(true);
}

// Results list layouts.
void Form1::Option1_Click()
{
    m_results.clearRows();
    m_results.clearColumns();
    m_results.addColumn(QStringLiteral("Filename"), 3000);
    m_results.addColumn(QStringLiteral("Results"), 1500);
    m_results.addColumn(QStringLiteral("Count"), 1500);
}

void Form1::Option2_Click()
{
    m_results.clearRows();
    m_results.clearColumns();
    m_results.addColumn(QStringLiteral("Results"), 3500);
    m_results.addColumn(QStringLiteral("Count"), 3000);
}

void Form1::ListView2_DblClick()
{
    if (m_pointerMode == PointerHourglass)
        return;
    if (m_results.rows() == 0)
        return;
    const QModelIndex current = ListView2->selectionModel()->currentIndex();
    if (!current.isValid())
        return;
    m_results.removeAt(current.row() + 1);
}

// CountingView.
int Form1::siteCount() const
{
    return m_sites.count();
}

QString Form1::siteText(int row) const
{
    return m_sites.text(row);
}

bool Form1::perSiteSelected() const
{
    return Option1->isChecked();
}

bool Form1::combinedSelected() const
{
    return Option2->isChecked();
}

bool Form1::ignoreCase() const
{
    return Check3->checkState() == Qt::Checked;
}

void Form1::setProgressValue(double value)
{
    ProgressBar1->setValue(int(std::lround(std::clamp(value, 0.0, 100.0))));
}

void Form1::setProgressText(const QString& text)
{
    // The bar's format treats % as a placeholder; addresses may hold one.
    ProgressBar1->setFormat(QString(text).replace(u'%', QStringLiteral("%%")));
}

void Form1::appendResult(const QString& text, const QString& sub1, const QString& sub2)
{
    m_results.append(text, sub1, sub2);
}

void Form1::setFirstColumnCaption(const QString& caption)
{
    m_results.setCaption(1, caption);
}

void Form1::setResultsEnabled(bool enabled)
{
    ListView2->setEnabled(enabled);
}

} // namespace tv
