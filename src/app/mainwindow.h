#pragma once
// The main window: its controls, the pointer rules, the start-up sequence and the commands.
// The code names each control by what it does; its layout name (the object name, the settings
// key, the location its error reports name) comes from the table in platform/windowcontrols.h.
#include "app/sitestatus.h"
#include "app/wordanalysis.h"
#include "count/provider.h"
#include "keep/runkeeper.h"
#include "platform/pointer.h"
#include "platform/progresssink.h"
#include "platform/spreadsheet.h"
#include "results/resultsmodel.h"
#include "results/shownrows.h"
#include "sites/sitelistmodel.h"

#include <QCursor>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QGroupBox;
class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTreeView;

namespace tv {

class Desktop;
class Dialogs;
class Guard;
class NetworkPageSource;
class PageSource;
struct ReceivedPage;
struct WindowControl;

struct MainWindowServices {
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
    // Whether the window opens at the size, place and column widths it was left at, and keeps
    // them when it closes (not for a picture of the window as it first opens).
    bool rememberFrame = true;
};

class MainWindow : public QWidget, public Pointer, public ProgressSink {
    Q_OBJECT
public:
    explicit MainWindow(const MainWindowServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence; runs once before the window is first shown.
    void load();
    bool providerAvailable() const { return m_providerAvailable; }
    bool hasCustomCursor() const { return m_customCursor.has_value(); }

    // Loads site-list files named when the program starts, as "Load From File" does.
    void openSiteFiles(const QStringList& paths);

    // Maximized as far as the screen goes, also where no window manager does it.
    void showMaximizedOnScreen();

    // Puts the command (About) under Help in the menu bar.
    void addHelpCommand(QAction* action);
    // A command that adds sites, put in the File menu with the others.
    void addSiteCommand(QAction* action);

    // Whether a count is under way, and stopping it: downloads in flight are abandoned and
    // what was counted up to the last finished page is shown.
    bool counting() const { return m_counting; }
    void stopCounting();

    // A page a crawl read: the window's counts take it instead of downloading it again.
    void addReceivedPage(const QString& address, ReceivedPage page);

    // True when the desktop can open an .xlsx workbook; otherwise says so and returns false.
    bool spreadsheetApplicationAvailable();

    SiteListModel& sites() { return m_sites; }
    ResultsModel& results() { return m_results; }
    // The results as the list shows them: sorted and found as the user asked.
    ShownRows& shownResults() { return m_shown; }

    // Pointer: the window's mouse pointer, which doubles as the busy mark.
    int pointerMode() const override { return m_pointerMode; }
    void setPointerMode(int mode) override;

    // ProgressSink: the progress bar.
    void setProgressValue(double value) override;
    void setProgressText(const QString& text) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Building the window (windowlayout.cpp).
    void buildControls();
    void buildButtons();
    void buildOptionFrames();
    void buildProgressBar();
    void buildFindBox();
    void connectSorting();
    void setLayoutTabOrder();
    QPushButton* addButton(const WindowControl& control, int left, int top, int width, int height);

    // The window's frame (windowframe.cpp).
    void buildPage();
    void rememberPlaces();
    void relayout();
    bool pageEvent(QEvent* event);
    void restoreWindowState();
    void saveWindowState();
    void applyRememberedWidths();
    void fitToScreen();

    // The menu bar and its own commands (menus.cpp, removals.cpp, exportfile.cpp).
    void buildMenus();
    void copySelectedResults();
    void removeSelectedRows();
    void exportToFile();
    void trackListChanges();
    // Runs a removal from the site list, keeping what it removed for an undo.
    void changeSites(const std::function<void()>& removal);
    // Removes these rows of the results list (from 1), keeping them for an undo.
    void removeResultRows(QList<int> rows);
    void clearResultsUndoably();
    void undoRemoval();
    // The site list's status column, the remembered choice of collecting failures there, the
    // retry of the failed sites and drops onto the list (sitestatuscommands.cpp).
    void buildSiteStatusCommands(QMenu* count);
    void retryFailedSites();
    bool dropOnSiteList(QEvent* event);

    // Start-up (startup.cpp).
    void makeDataFolder(Guard& g);
    void restoreMethodChoice(Guard& g);
    void applySkin();
    void loadHandCursor();

    // Events of the options, the lists and the pointer (mainwindow.cpp).
    void connectEvents();
    void applyResultWidths();
    // Selects or clears an option button the way program code does: selecting an unselected
    // option runs its click handling, clearing runs nothing.
    void setOptionValue(QRadioButton* option, bool value);
    void chooseDatabaseMethod();
    void saveMethodChoice();
    void removeSelectedResult();
    // The remembered choice of reading pages with their style sheets (on unless turned off).
    void loadStyleSheetsOption();
    void pointerHandRule();
    void pointerArrowRule();

    // The command buttons (commands.cpp).
    void connectCommands();
    // Runs a command's procedure, counting it as under way while it runs.
    void command(const WindowControl& button, const std::function<void()>& procedure);
    void startCounting();
    void startOrStopCounting();
    void clearResults();
    void exportResults();
    void openWordAnalysis();
    void exportPageTable();
    void showWordAnalysisChoice();
    PageSource& pages();

    // The views behind the numbers (windowviews.cpp).
    void connectViews();
    // "Add Local Files..." in the File menu, and a View menu with the views.
    void buildViewMenus(QMenu* file);
    // Enter on a list, Ctrl+double-click on a result; true when the event was taken.
    bool viewEvent(QObject* watched, QEvent* event);
    void viewCommand(const std::function<void()>& procedure);
    void showCountedText();
    void showConcordance();
    void showWordChart();
    void addLocalFiles();
    // Dropped files: lists of addresses are loaded as "Load From File" loads them, any other
    // file becomes a page of its own.
    void addDroppedFiles(const QStringList& paths);

    MainWindowServices m_services;
    std::unique_ptr<NetworkPageSource> m_networkPages;
    QString m_textBeforeWait; // the progress bar's text when a wait for a page began
    SiteListModel m_sites;
    SiteStatusModel m_siteStatus{m_sites};
    ResultsModel m_results;
    ShownRows m_shown{m_results};
    WindowWordAnalysis m_analysis;
    // What the runs counted of each page, for the views behind the numbers.
    RunKeeper m_keeper;
    bool m_providerAvailable = false;
    int m_pointerMode = PointerDefault;
    std::optional<QCursor> m_customCursor;
    // Commands under way; closing the window then ends the program at once.
    int m_commandDepth = 0;
    bool m_counting = false;
    bool m_stopRequested = false;

    // Where each control of the page stands at the default size, and how it follows a resize.
    enum class Across { Full, LeftHalf, RightHalf };
    enum class Down { Fixed, SitesGrow, BelowSites, ResultsGrow, BelowResults };
    struct Place {
        QWidget* widget;
        QRect base;
        Across across;
        Down down;
    };
    std::vector<Place> m_places;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_page = nullptr; // the controls, at their layout places
    bool m_geometryRestored = false;
    QMenuBar* m_menuBar = nullptr;
    QMenu* m_helpMenu = nullptr;
    QMenu* m_fileMenu = nullptr;
    QAction* m_undoAction = nullptr;
    QAction* m_collectFailures = nullptr;
    // The site rows (from 1) "Retry Failed Sites" counts; empty for an ordinary run.
    std::vector<int> m_retryRows;
    // The last removal or clear, and how many changes each list had seen right after it.
    struct UndoStep {
        enum class Kind { None, Sites, ResultRows, ResultsCleared };
        Kind kind = Kind::None;
        QStringList sites;
        std::vector<std::pair<int, ResultRow>> removed; // list rows (from 1), ascending
        std::deque<ResultRow> cleared;
        quint64 changes = 0;
    };
    UndoStep m_undo;
    quint64 m_siteChanges = 0;
    quint64 m_resultChanges = 0;
    bool m_shownOnce = false;

    QTreeView* m_siteList = nullptr;
    QPushButton* m_addOneUrl = nullptr;
    QPushButton* m_loadSitesFromFiles = nullptr;
    QPushButton* m_clearSiteList = nullptr;
    QPushButton* m_loadSampleSites = nullptr;
    QPushButton* m_removeSitesContaining = nullptr;
    QPushButton* m_removeSitesNotContaining = nullptr;
    QGroupBox* m_optionsFrame = nullptr;
    QRadioButton* m_combinedCount = nullptr;
    QRadioButton* m_perSiteCount = nullptr;
    QCheckBox* m_ignoreCase = nullptr;
    QPushButton* m_wordAnalysis = nullptr;
    QLabel* m_wordFigures = nullptr;
    QGroupBox* m_speedFrame = nullptr;
    QRadioButton* m_databaseMethod = nullptr;
    QRadioButton* m_textMethod = nullptr;
    QPushButton* m_startCounting = nullptr;
    QTreeView* m_resultsList = nullptr;
    // Beyond the original layout: the find box above the results.
    QLineEdit* m_findResults = nullptr;
    QPushButton* m_saveResultsAsText = nullptr;
    QPushButton* m_exportResults = nullptr;
    QPushButton* m_copyResults = nullptr;
    QPushButton* m_clearResults = nullptr;
    QProgressBar* m_progressBar = nullptr;
    // Beyond the original layout: pages are read with the style sheets they link.
    QCheckBox* m_styleSheets = nullptr;
};

} // namespace tv
