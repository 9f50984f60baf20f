#pragma once
// The window's commands that fill the site list from whole sites: "Add Pages From Sitemap..."
// and "Add Site (follow links)...", in the window's context menu beside its other commands.
class QAction;

namespace tv {

class MainWindow;

// Adds both commands to `window`; each opens its dialog over the window, which adds the pages
// found to the site list and hands the pages a crawl read to the window's counts.
void addPagesCommands(MainWindow& window);

} // namespace tv
