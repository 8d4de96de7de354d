#include "Screenshots.h"

#include "MainWindow.h"
#include "NavigationTree.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QRegularExpression>

QStringList SaveScreenshots(TForm1& window, const QString& folder, QString* error) {
    QStringList written;
    if (!QDir().mkpath(folder)) {
        if (error) *error = QStringLiteral("cannot create ") + folder;
        return written;
    }
    NavigationTree* tree = window.Tree();
    tree->expandAll();
    for (int i = 0; i < NavigationTree::kEntries; ++i) {
        QTreeWidgetItem* entry = tree->Entry(i);
        if (!NavigationTree::IsOpen(entry)) continue; // a page the model lacks
        tree->setCurrentItem(entry);
        tree->scrollToItem(entry);
        QApplication::processEvents();
        QString name = entry->text(0).trimmed();
        name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
        if (name.isEmpty()) name = QStringLiteral("blank");
        const QString path = QDir(folder).filePath(
            QStringLiteral("%1-%2.png").arg(i, 2, 10, QLatin1Char('0')).arg(name));
        if (window.grab().save(path))
            written << path;
        else if (error)
            *error = QStringLiteral("cannot write ") + path;
    }
    return written;
}
