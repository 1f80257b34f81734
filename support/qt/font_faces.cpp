#include "support/qt/font_faces.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

#include "support/font_faces.h"

namespace kestrival {
namespace {

QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

std::u16string ChooseQtFace(const std::u16string& wanted, std::int32_t pixelSize) {
    const QStringList families = QFontDatabase::families();
    FaceQueries queries;
    queries.installed = [&families](std::u16string_view face) { return families.contains(ToQString(face)); };
    queries.cellHeight = [](std::u16string_view face, std::int32_t size) {
        QFont font(ToQString(face));
        font.setPixelSize(size);
        return static_cast<std::int32_t>(QFontMetrics(font).height());
    };
    const QString fallback = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    return ChooseFace(wanted, pixelSize, queries, fallback.toStdU16String());
}

}  // namespace kestrival
