#pragma once
// The main window: every control under its layout name, the start-up sequence, the pointer
// rules and the event procedures of the commands.
#include "count/countingview.h"
#include "count/provider.h"
#include "platform/spreadsheet.h"
#include "results/progresssink.h"
#include "results/resultsmodel.h"
#include "sites/sitelistmodel.h"

#include <QCursor>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QGroupBox;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeView;

namespace tv {

class Desktop;
class Dialogs;
class NetworkPageSource;
class PageSource;

struct Form1Services {
    Dialogs* dialogs = nullptr;
    Desktop* desktop = nullptr;
    std::function<ProviderProbe()> probeProvider = probeSqliteProvider;
    // Where the program's own files (template database, cursor, skin) are looked for.
    QString programFolder;
    // Whether the desktop can open a workbook, and a new spreadsheet for each export.
    std::function<bool()> spreadsheetRegistered = spreadsheetApplicationRegistered;
    std::function<std::unique_ptr<Spreadsheet>()> makeSpreadsheet;
    // Where the counting run gets its pages; the window downloads them itself when unset.
    PageSource* pages = nullptr;
    // Ends the program at once when the window closes in the middle of a command.
    std::function<void()> endProgramNow;
};

class Form1 : public QWidget, public CountingView, public ProgressSink {
    Q_OBJECT
public:
    explicit Form1(const Form1Services& services, QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up sequence; runs once before the window is first shown.
    void Form_Load();
    bool providerAvailable() const { return m_providerAvailable; }
    bool hasCustomCursor() const { return m_customCursor.has_value(); }

    // Loads site-list files named when the program starts, as "Load From File" does.
    void openSiteFiles(const QStringList& paths);

    // True when the desktop can open an .xlsx workbook; otherwise says so and returns false.
    bool SaveResultsAsExcelFileIsExcelInstalled();

    SiteListModel& sites() { return m_sites; }
    ResultsModel& results() { return m_results; }

    // Pointer.
    int pointerMode() const override { return m_pointerMode; }
    void setPointerMode(int mode) override;

    // CountingView.
    int siteCount() const override;
    QString siteText(int row) const override;
    bool perSiteSelected() const override;
    bool combinedSelected() const override;
    bool ignoreCase() const override;
    void setProgressValue(double value) override;
    void setProgressText(const QString& text) override;
    void appendResult(const QString& text, const QString& sub1, const QString& sub2) override;
    void setFirstColumnCaption(const QString& caption) override;
    void setResultsEnabled(bool enabled) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    QPushButton* addButton(const char* name, const QString& caption, int left, int top, int width,
                           int height);
    void connectEvents();
    void applyResultWidths();
    // Selects or clears an option button the way program code does: selecting an unselected
    // option runs its click handling, clearing runs nothing.
    void setOptionValue(QRadioButton* option, bool value);
    void ApplySkin();
    void loadHandCursor();
    // The remembered choice of reading pages with their style sheets (on unless turned off).
    void loadStyleSheetsOption();

    // Event procedures.
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void ListView2_DblClick();
    void PushButton9_Click();
    // Runs a command's procedure, counting it as under way while it runs.
    void command(const std::function<void()>& procedure);
    void connectCommands();
    void pointerHandRule();
    void pointerArrowRule();

    PageSource& pages();

    Form1Services m_services;
    std::unique_ptr<NetworkPageSource> m_networkPages;
    QString m_textBeforeWait; // the progress bar's text when a wait for a page began
    SiteListModel m_sites;
    ResultsModel m_results;
    bool m_providerAvailable = false;
    int m_pointerMode = PointerDefault;
    std::optional<QCursor> m_customCursor;
    // Commands under way; closing the window then ends the program at once.
    int m_commandDepth = 0;

    QTreeView* ListView1 = nullptr;
    QTreeView* ListView2 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* PushButton7 = nullptr;
    QPushButton* PushButton8 = nullptr;
    QPushButton* PushButton9 = nullptr;
    QPushButton* PushButton10 = nullptr;
    QPushButton* PushButton11 = nullptr;
    QPushButton* PushButton12 = nullptr;
    QPushButton* PushButton13 = nullptr;
    QPushButton* PushButton17 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QRadioButton* Option4 = nullptr;
    QCheckBox* Check3 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    // Beyond the original layout: pages are read with the style sheets they link.
    QCheckBox* styleSheetsOption = nullptr;
};

} // namespace tv
