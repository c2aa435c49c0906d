#include "platform/UserFolders.h"

#include <QFile>
#include <QStringList>
#include <optional>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace vorn::platform {

namespace {

QString withoutTrailingSlashes(QString folder) {
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

// An absolute folder from an XDG variable, or `fallback` below the home folder.
QString baseFolder(const char* variable, const QString& underHome) {
    const QString value = qEnvironmentVariable(variable);
    if (value.startsWith(u'/'))
        return withoutTrailingSlashes(value);
    const QString home = homeFolder();
    return home.isEmpty() ? QString() : home + u'/' + underHome;
}

// "$HOME/x" or "/x", from the text after '=' of a user-dirs.dirs line (shell syntax, as written by
// xdg-user-dirs-update); nullopt when it is neither.
std::optional<QString> userDirValue(const QString& text) {
    QString value;
    if (text.startsWith(u'"')) {
        bool closed = false;
        for (qsizetype i = 1; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c == u'\\' && i + 1 < text.size() && QStringView(u"\"\\$`").contains(text[i + 1])) {
                value += text[++i];
            } else if (c == u'"') {
                closed = true;
                break;
            } else {
                value += c;
            }
        }
        if (!closed)
            return std::nullopt;
    } else {
        value = text.trimmed();
    }
    if (value == u"$HOME" || value.startsWith(u"$HOME/")) {
        const QString home = homeFolder();
        if (home.isEmpty())
            return std::nullopt;
        value = home + value.mid(5);
    }
    if (!value.startsWith(u'/'))
        return std::nullopt;
    return withoutTrailingSlashes(value);
}

} // namespace

QString homeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    if (home.startsWith(u'/'))
        return withoutTrailingSlashes(home);
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/')
        return withoutTrailingSlashes(QFile::decodeName(found->pw_dir));
    return {};
}

QString configHome() {
    return baseFolder("XDG_CONFIG_HOME", QStringLiteral(".config"));
}
QString dataHome() {
    return baseFolder("XDG_DATA_HOME", QStringLiteral(".local/share"));
}
QString cacheHome() {
    return baseFolder("XDG_CACHE_HOME", QStringLiteral(".cache"));
}
QString stateHome() {
    return baseFolder("XDG_STATE_HOME", QStringLiteral(".local/state"));
}

QString userDirectory(const QString& name, const QString& fallback) {
    const QString key = QStringLiteral("XDG_%1_DIR").arg(name);
    std::optional<QString> found;
    const QString config = configHome();
    QFile file(config + QStringLiteral("/user-dirs.dirs"));
    if (!config.isEmpty() && file.open(QIODevice::ReadOnly)) {
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        for (const QString& raw : lines) {
            const QString line = raw.trimmed();
            if (!line.startsWith(key + u'='))
                continue;
            if (auto value = userDirValue(line.mid(key.size() + 1)))
                found = std::move(value);
        }
    }
    if (!found && qEnvironmentVariableIsSet(key.toLatin1().constData()))
        found = userDirValue(qEnvironmentVariable(key.toLatin1().constData()));
    return found ? *found : fallback;
}

} // namespace vorn::platform
