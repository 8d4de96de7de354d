#pragma once
// Pictures of the main window, one per navigation-tree entry, for looking at every page
// without clicking through them (scripts/screenshots).

#include <QString>
#include <QStringList>

class TForm1;

// Selects every tree entry in turn and saves the window as "NN-<entry text>.png" in
// folder (created when missing). Returns the files written; errors go to *error.
QStringList SaveScreenshots(TForm1& window, const QString& folder, QString* error = nullptr);
