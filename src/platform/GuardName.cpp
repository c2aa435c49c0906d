#include "platform/GuardName.h"

#include <QFile>
#include <filesystem>
#include <system_error>

namespace vorn::platform {

QString guardNameOf(const QString& programPath) {
    QString name = programPath.sliced(programPath.lastIndexOf(u'/') + 1);
    for (QChar& c : name)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    return name;
}

QString runningProgramPath() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    QString path = QFile::decodeName(QByteArray::fromStdString(exe.native()));
    // A program file replaced while it runs is shown with this suffix; the name is still its own.
    const QLatin1String deleted(" (deleted)");
    if (path.endsWith(deleted))
        path.chop(deleted.size());
    return path;
}

QString guardName() {
    return guardNameOf(runningProgramPath());
}

} // namespace vorn::platform
