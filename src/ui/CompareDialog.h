#pragma once
// A list of differing settings: page, caption and the two values, one row each. Used by
// File > "Compare with file…" and to show what a write did not leave on the door phone.

#include "SettingsDiff.h"

#include <QDialog>
#include <QList>
#include <QString>

class LanguageTexts;
class QTableWidget;

class CompareDialog : public QDialog {
    Q_OBJECT
public:
    // headingA/headingB name the two value columns; emptyText stands when nothing differs.
    CompareDialog(const QString& title, const QString& message, const QList<DiffRow>& rows,
                  const QString& headingA, const QString& headingB, const LanguageTexts& texts,
                  QWidget* parent = nullptr);

    const QList<DiffRow>& Rows() const { return rows_; }
    QTableWidget* Table() const { return table_; }
    // The line above the table ("The settings are the same" when there are no rows).
    QString Message() const;

private:
    QList<DiffRow> rows_;
    QTableWidget* table_ = nullptr;
    QString message_;
};
