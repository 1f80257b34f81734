#include "app/qt/autostart.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

#include "app/desktop_entry.h"

namespace kestrival {
namespace {

QString EntryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/kestrival.desktop");
}

}  // namespace

bool StartsAtLogin(const std::u16string& programPath) {
    QFile file(EntryPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(QStringLiteral("Exec="))) {
            return DesktopEntryProgram(line.mid(5).toStdU16String()) == programPath;
        }
    }
    return false;
}

bool SetStartAtLogin(bool on, const std::u16string& programPath, bool local) {
    const QString path = EntryPath();
    if (!on) return !QFile::exists(path) || QFile::remove(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    QTextStream out(&file);
    out << "[Desktop Entry]\nType=Application\nName=Kestrival\n"
        << "Exec=" << QString::fromStdU16String(DesktopEntryExec(programPath, local)) << "\n"
        << "X-GNOME-Autostart-enabled=true\n";
    out.flush();
    return file.commit();
}

}  // namespace kestrival
