#include "dialogs/DialogButtonRow.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

DialogButtonRow makeDialogButtonRow(QDialog* dialog, const QString& makerName, const QString& okName,
                                    const QString& cancelName, QPushButton* before) {
    auto* maker = new QLabel(QStringLiteral("Brindle Fox"), dialog);
    maker->setObjectName(makerName);
    maker->setEnabled(false);
    DialogButtonRow row;
    row.ok = new QPushButton(QStringLiteral("确定"), dialog);
    row.cancel = new QPushButton(QStringLiteral("取消"), dialog);
    row.ok->setObjectName(okName);
    row.cancel->setObjectName(cancelName);
    row.ok->setDefault(true);
    row.layout = new QHBoxLayout;
    row.layout->addWidget(maker);
    row.layout->addStretch();
    if (before)
        row.layout->addWidget(before);
    row.layout->addWidget(row.ok);
    row.layout->addWidget(row.cancel);
    QObject::connect(row.ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(row.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return row;
}
