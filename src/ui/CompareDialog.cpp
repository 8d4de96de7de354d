#include "CompareDialog.h"

#include "LanguageTexts.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

CompareDialog::CompareDialog(const QString& title, const QString& message,
                             const QList<DiffRow>& rows, const QString& headingA,
                             const QString& headingB, const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent), rows_(rows) {
    setObjectName(QStringLiteral("CompareDialog"));
    setWindowTitle(title);
    message_ = rows.isEmpty() ? texts.Text(keys::kSettingsSame) : message;

    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(message_, this);
    label->setObjectName(QStringLiteral("CompareMessage"));
    label->setWordWrap(true);
    label->setVisible(!message_.isEmpty());
    layout->addWidget(label);

    table_ = new QTableWidget(int(rows.size()), 4, this);
    table_->setObjectName(QStringLiteral("CompareTable"));
    table_->setHorizontalHeaderLabels(
        {texts.Text(keys::kPageColumn), texts.Text(keys::kSettingColumn), headingA, headingB});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->setWordWrap(false);
    for (int r = 0; r < rows.size(); ++r) {
        const DiffRow& row = rows[r];
        const QString cells[4] = {row.page, row.caption, row.valueA, row.valueB};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c]);
            table_->setItem(r, c, item);
        }
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setVisible(!rows.isEmpty());
    layout->addWidget(table_, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(rows.isEmpty() ? QSize(360, 120) : QSize(760, 420));
}

QString CompareDialog::Message() const {
    return message_;
}
