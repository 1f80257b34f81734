#include "support/qt/message_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace kestrival {

std::int32_t QtDialogBackend::Show(const DialogRequest& request) {
    QMessageBox box(request.informationIcon || (request.boxFlags & kMbIconInformation) ? QMessageBox::Information
                                                                                       : QMessageBox::NoIcon,
                    QString::fromStdU16String(request.caption), QString::fromStdU16String(request.text),
                    QMessageBox::NoButton, QApplication::activeWindow());
    if (request.buttons == DialogButtons::kYesNo) {
        QPushButton* yes = box.addButton(QMessageBox::Yes);
        QPushButton* no = box.addButton(QMessageBox::No);
        box.setDefaultButton(request.defaultAnswer == Answer::kYes ? yes : no);
        box.setEscapeButton(no);
        box.exec();
        if (box.clickedButton() == yes) return static_cast<std::int32_t>(Answer::kYes);
        return static_cast<std::int32_t>(Answer::kNo);
    }
    box.addButton(QMessageBox::Ok);
    box.exec();
    return 1;
}

}  // namespace kestrival
