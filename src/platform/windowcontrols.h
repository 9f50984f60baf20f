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
};

namespace control {
inline constexpr WindowControl mainWindow{"Form1", "mainWindow", "Tallyvane"};
inline constexpr WindowControl siteList{"ListView1", "siteList", ""};
inline constexpr WindowControl addOneUrl{"PushButton7", "addOneUrl", "Add One URL"};
inline constexpr WindowControl loadSitesFromFiles{"PushButton13", "loadSitesFromFiles",
                                                  "Load From File"};
inline constexpr WindowControl clearSiteList{"PushButton11", "clearSiteList", "Clear List"};
inline constexpr WindowControl loadSampleSites{"PushButton8", "loadSampleSites",
                                               "Load Sample/Example Sites"};
inline constexpr WindowControl optionsFrame{"Frame1", "optionsFrame", "Options"};
inline constexpr WindowControl removeSitesContaining{"PushButton17", "removeSitesContaining",
                                                     "Remove Entries Containing X"};
inline constexpr WindowControl removeSitesNotContaining{"PushButton10", "removeSitesNotContaining",
                                                        "Remove Entries Not Containing X"};
inline constexpr WindowControl combinedCount{"Option2", "combinedCount",
                                             "Give one count for all URL(s)"};
inline constexpr WindowControl perSiteCount{"Option1", "perSiteCount",
                                            "Give separate counts for each URL"};
inline constexpr WindowControl ignoreCase{"Check3", "ignoreCase", "Ignore letter case"};
inline constexpr WindowControl progressBar{"ProgressBar1", "progressBar", "Progress Bar"};
inline constexpr WindowControl startCounting{"PushButton12", "startCounting", "Start Counting"};
inline constexpr WindowControl resultsList{"ListView2", "resultsList", ""};
inline constexpr WindowControl saveResultsAsText{"PushButton6", "saveResultsAsText",
                                                 "Save Results As Text File"};
inline constexpr WindowControl exportResults{"PushButton1", "exportResults",
                                             "Save Results As Excel File"};
inline constexpr WindowControl copyResults{"PushButton2", "copyResults",
                                           "Copy Results To Clipboard"};
inline constexpr WindowControl clearResults{"PushButton9", "clearResults", "Clear Results"};
inline constexpr WindowControl speedFrame{"Frame2", "speedFrame", "Processing Speed Option"};
inline constexpr WindowControl databaseMethod{"Option3", "databaseMethod",
                                              "MS Access Method (faster)"};
inline constexpr WindowControl textMethod{"Option4", "textMethod", "Regular Text Method (slower)"};
} // namespace control

// The controls on the window, in its tab order.
inline constexpr WindowControl kTabOrder[] = {
    control::siteList,
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
    control::textMethod,
};

// The location a control's event procedure names in its reports: module "Form1", procedure the
// control's name, "_" and the event ("PushButton7_Click").
ReportLocation eventLocation(const WindowControl& control, const char* event);
// The window's command buttons report as their click procedure.
ReportLocation clickLocation(const WindowControl& control);
// A procedure of the window itself: "Form1.<procedure>".
ReportLocation windowLocation(const char* procedure);
// The window's start-up sequence: "Form1.Form_Load".
ReportLocation windowLoadLocation();

} // namespace tv
