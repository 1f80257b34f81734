// The Linux start-up baseline: a bare frameless Qt tool window that paints one line of Japanese
// text into an image and shows it, reporting its first frame as the gadget does.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include "support/qt/first_frame.h"
#include "support/qt/font_faces.h"

namespace {

class BaselineWindow final : public QWidget {
public:
    BaselineWindow() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), image_(168, 97, QImage::Format_RGB32) {
        image_.fill(Qt::black);
        QPainter painter(&image_);
        QFont font(QString::fromStdU16String(kestrival::ChooseQtFace(u"Meiryo UI", 12)));
        font.setPixelSize(12);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(4, 16, QString::fromUtf16(u"2027年まで"));
        setFixedSize(image_.size());
        move(556, 463);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).drawImage(0, 0, image_);
        kestrival::ReportFirstFrame();
    }

private:
    QImage image_;
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication application(argc, argv);
    BaselineWindow window;
    window.show();
    return QApplication::exec();
}
