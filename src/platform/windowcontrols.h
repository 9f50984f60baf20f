#pragma once
// The main window's controls in one table: the layout name each keeps wherever it can be seen
// (object name, settings key, error report location), the name the code knows it by, which
// says what it does, and its caption. The window, its error reports and the tests read it.
#include "platform/errorreport.h"

namespace tv {

struct WindowControl {
    const char* name;    // layout name: "PushButton7", "Option3", "ListView2", ...
    const char* intent;  // what it is for, as the code names it
    const char* caption; // as shown; "" for the two lists
    // The letter of the caption that Alt reaches it by (its first occurrence), 0 for none. Two
    // controls share one only where no other letter is left; Alt then moves between them.
    char accessKey = 0;
};

namespace control {
// The window itself, and the three parts that take its whole width.
inline constexpr WindowControl mainWindow{"Form1", "mainWindow", "Tallyvane"},
    siteList{"ListView1", "siteList", ""}, resultsList{"ListView2", "resultsList", ""},
    progressBar{"ProgressBar1", "progressBar", "Progress Bar"};
// The commands of the site list.
inline constexpr WindowControl addOneUrl{"PushButton7", "addOneUrl", "Add One URL", 'A'},
    loadSitesFromFiles{"PushButton13", "loadSitesFromFiles", "Load From File", 'L'},
    clearSiteList{"PushButton11", "clearSiteList", "Clear List", 'r'},
    loadSampleSites{"PushButton8", "loadSampleSites", "Load Sample/Example Sites", 'm'};
// The two filters of the site list.
inline constexpr WindowControl removeSitesContaining{"PushButton17", "removeSitesContaining",
                                                     "Remove Entries Containing X", 't'},
    removeSitesNotContaining{"PushButton10", "removeSitesNotContaining",
                             "Remove Entries Not Containing X", 'N'};
// The options: one count over all sites or one per site, and letter case.
inline constexpr WindowControl optionsFrame{"Frame1", "optionsFrame", "Options"},
    combinedCount{"Option2", "combinedCount", "Give one count for all URL(s)", 'o'},
    perSiteCount{"Option1", "perSiteCount", "Give separate counts for each URL", 'p'},
    ignoreCase{"Check3", "ignoreCase", "Ignore letter case", 'I'},
    // Beyond the original layout: pages read with the style sheets they link.
    styleSheets{"styleSheetsOption", "styleSheets", "Read pages with their style sheets", 'y'},
    // Beyond the original layout: the word analysis's dialog, and its summary or, after a run,
    // the count's figures.
    wordAnalysis{"wordAnalysisButton", "wordAnalysis", "Word Analysis...", 'W'},
    wordFigures{"wordFiguresLabel", "wordFigures", ""};
// The counting method.
inline constexpr WindowControl speedFrame{"Frame2", "speedFrame", "Processing Speed Option"},
    databaseMethod{"Option3", "databaseMethod", "MS Access Method (faster)", 'd'},
    textMethod{"Option4", "textMethod", "Regular Text Method (slower)", 'g'};
// The count and the commands of its results.
inline constexpr WindowControl startCounting{"PushButton12", "startCounting", "Start Counting",
                                             'S'},
    saveResultsAsText{"PushButton6", "saveResultsAsText", "Save Results As Text File", 'x'},
    exportResults{"PushButton1", "exportResults", "Save Results As Excel File", 'u'};
// The clipboard, and the command that empties the results list.
inline constexpr WindowControl copyResults{"PushButton2", "copyResults",
                                           "Copy Results To Clipboard", 'b'},
    clearResults{"PushButton9", "clearResults", "Clear Results", 'r'};
} // namespace control

// The controls on the window, in its tab order.
inline constexpr WindowControl kTabOrder[] = {control::siteList,
                                              control::addOneUrl,
                                              control::loadSitesFromFiles,
                                              control::clearSiteList,
                                              control::loadSampleSites,
                                              control::optionsFrame,
                                              control::removeSitesContaining,
                                              control::removeSitesNotContaining,
                                              control::combinedCount,
                                              control::perSiteCount,
                                              control::ignoreCase,
                                              control::progressBar,
                                              control::startCounting,
                                              control::resultsList,
                                              control::saveResultsAsText,
                                              control::exportResults,
                                              control::copyResults,
                                              control::clearResults,
                                              control::speedFrame,
                                              control::databaseMethod,
                                              control::textMethod};

// The location a control's event procedure names in its reports: module "Form1", procedure the
// control's name, "_" and the event ("PushButton7_Click").
ReportLocation eventLocation(const WindowControl& control, const char* event);
// The caption with its access key marked for Qt ("Clea&r List"); the caption itself if it has none.
QString labelOf(const WindowControl& control);
// The window's command buttons report as their click procedure.
ReportLocation clickLocation(const WindowControl& control);
// A procedure of the window itself: "Form1.<procedure>".
ReportLocation windowLocation(const char* procedure);
// The window's start-up sequence: "Form1.Form_Load".
ReportLocation windowLoadLocation();

} // namespace tv
