#include "settings/dialog/qt/days_off_dialog_qt.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "support/ui_texts.h"

namespace kestrival {

bool EditDaysOff(QWidget* owner, std::u16string& text) {
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromUtf16(texts::kDaysOffCaption));
    auto* help = new QLabel(QString::fromUtf16(texts::kDaysOffHelp), &dialog);
    auto* edit = new QLineEdit(QString::fromStdU16String(text), &dialog);
    edit->setObjectName(QStringLiteral("EDoffd"));
    edit->setMinimumWidth(help->sizeHint().width());
    auto* ok = new QPushButton(QString::fromUtf16(texts::kOk), &dialog);
    auto* cancel = new QPushButton(QString::fromUtf16(texts::kCancel), &dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(help);
    layout->addWidget(edit);
    layout->addLayout(buttons);
    if (dialog.exec() != QDialog::Accepted) return false;
    text = edit->text().toStdU16String();
    return true;
}

}  // namespace kestrival
