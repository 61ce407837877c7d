#pragma once

#include <QString>

class QDialog;
class QHBoxLayout;
class QPushButton;

// The row at the foot of every editing dialog: the maker's greyed label at the left, then the
// buttons at the right, 确定 (the default, accepting) and 取消 (rejecting) last.
struct DialogButtonRow {
    QHBoxLayout* layout = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
};

// Builds the row for `dialog`. The object names keep the dialog's own component names for its
// label and buttons; `before` (may be null) stands left of 确定 and gets no handler.
DialogButtonRow makeDialogButtonRow(QDialog* dialog, const QString& makerName, const QString& okName,
                                    const QString& cancelName, QPushButton* before = nullptr);
