#include "common/CriaAtalho.h"

#include "platform/UserFolders.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <cerrno>
#include <sys/stat.h>

namespace vorn::common {

namespace {

using namespace vorn::platform;

// Location code -> folder. The codes name the classic per-user shell folders; each is mapped to
// the freedesktop folder that plays the same part. Where the freedesktop world has no such folder
// at all (favourites, cookies, network and printer neighbourhoods) the entry goes into the user's
// data folder, where it stays as inert as a shortcut in those folders would.
//
// | Code | Shell folder           | Folder here                                               |
// |------|------------------------|-----------------------------------------------------------|
// |  2   | Templates              | XDG templates folder (user-dirs), else ~/Templates        |
// |  3   | AppData                | $XDG_CONFIG_HOME (~/.config)                              |
// |  4   | Start Menu             | $XDG_DATA_HOME/applications (the applications menu)       |
// |  5   | Programs               | $XDG_DATA_HOME/applications                               |
// |  6   | Startup                | $XDG_CONFIG_HOME/autostart                                |
// |  7   | Fonts                  | $XDG_DATA_HOME/fonts (read by fontconfig)                 |
// |  8   | SendTo                 | $XDG_DATA_HOME/applications (the "open with" programs)    |
// |  9   | Recent                 | $XDG_STATE_HOME (~/.local/state: recently used files)     |
// | 10   | Favorites              | $XDG_DATA_HOME (no such folder here)                      |
// | 11   | Cache                  | $XDG_CACHE_HOME (~/.cache)                                |
// | 12   | Cookies                | $XDG_DATA_HOME (no such folder here)                      |
// | 13   | History                | $XDG_STATE_HOME (~/.local/state: history)                 |
// | 14   | NetHood                | $XDG_DATA_HOME (no such folder here)                      |
// | 15   | Personal               | XDG documents folder (user-dirs), else ~/Documents        |
// | 16   | PrintHood              | $XDG_DATA_HOME (no such folder here)                      |
// | 17   | Local AppData          | $XDG_DATA_HOME (~/.local/share)                           |
// | 18   | My Pictures            | XDG pictures folder (user-dirs), else ~/Pictures          |
// | 19   | Administrative Tools   | $XDG_DATA_HOME/applications (system tools are menu items) |
// | else | Desktop                | XDG desktop folder (user-dirs), else ~/Desktop            |
QString locationFolder(std::uint8_t code) {
    const auto underHome = [](const char* name) {
        const QString home = homeFolder();
        return home.isEmpty() ? QString() : home + u'/' + QLatin1String(name);
    };
    const auto under = [](const QString& base, const char* name) {
        return base.isEmpty() ? QString() : base + u'/' + QLatin1String(name);
    };
    switch (code) {
    case 2:
        return userDirectory(QStringLiteral("TEMPLATES"), underHome("Templates"));
    case 3:
        return configHome();
    case 4:
    case 5:
    case 8:
    case 19:
        return under(dataHome(), "applications");
    case 6:
        return under(configHome(), "autostart");
    case 7:
        return under(dataHome(), "fonts");
    case 9:
    case 13:
        return stateHome();
    case 10:
    case 12:
    case 14:
    case 16:
    case 17:
        return dataHome();
    case 11:
        return cacheHome();
    case 15:
        return userDirectory(QStringLiteral("DOCUMENTS"), underHome("Documents"));
    case 18:
        return userDirectory(QStringLiteral("PICTURES"), underHome("Pictures"));
    default:
        return userDirectory(QStringLiteral("DESKTOP"), underHome("Desktop"));
    }
}

// Creates `folder` and its missing parents; new folders get mode 0700, as the base-directory
// rules ask. Failures show later, when the entry cannot be written.
void makeFolderPath(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    for (qsizetype i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/')
            ::mkdir(path.left(i).constData(), 0700);
    }
}

// The words of a command-line text by the Windows rules: blanks (space, tab) separate words
// outside double quotes; a double quote toggles quoting; 2n backslashes before a double quote
// give n backslashes and the quote toggles, 2n+1 give n backslashes and a literal quote;
// backslashes anywhere else are literal. "" gives an empty word.
QStringList commandLineWords(const QString& text) {
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (c == u'\\') {
            qsizetype n = 0;
            while (i < text.size() && text[i] == u'\\') {
                ++n;
                ++i;
            }
            inWord = true;
            if (i < text.size() && text[i] == u'"') {
                word += QString(n / 2, u'\\');
                if (n % 2 == 1) {
                    word += u'"';
                    ++i;
                }
            } else {
                word += QString(n, u'\\');
            }
        } else if (c == u'"') {
            quoted = !quoted;
            inWord = true;
            ++i;
        } else if ((c == u' ' || c == u'\t') && !quoted) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
            ++i;
        } else {
            word += c;
            inWord = true;
            ++i;
        }
    }
    if (inWord)
        words << word;
    return words;
}

// One word of an Exec line: quoted when it holds a reserved character (inside the quotes the
// characters " ` $ and the backslash take a backslash), with "%" doubled so that it is no field
// code. The desktop-entry rules forbid
// "=" in the program's path; such a path is written quoted all the same, which launchers accept.
// (GLib's launcher looks the program up before it turns "%%" back into "%", so it does not find a
// program whose own path holds a "%"; the entry is still the correct one.)
QString execWord(const QString& word) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = word.isEmpty();
    for (const QChar c : word)
        needsQuotes = needsQuotes || reserved.contains(c);
    QString out;
    if (needsQuotes) {
        out += u'"';
        for (const QChar c : word) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                out += u'\\';
            out += c;
        }
        out += u'"';
    } else {
        out = word;
    }
    return out.replace(u'%', QStringLiteral("%%"));
}

// A value of type string: backslash, line breaks and tabs escaped; a leading blank would be eaten
// by the reader, so it is escaped too.
QString entryValue(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u' ' && i == 0)
            out += QStringLiteral("\\s");
        else
            out += c;
    }
    return out;
}

QByteArray desktopEntry(const QString& target, const QString& arguments, const QString& workingDir,
                        const QString& linkName) {
    QStringList exec{execWord(target)};
    for (const QString& word : commandLineWords(arguments))
        exec << execWord(word);

    QString text = QStringLiteral("[Desktop Entry]\nType=Application\n");
    text += QStringLiteral("Name=") + entryValue(linkName) + u'\n';
    text += QStringLiteral("Exec=") + entryValue(exec.join(u' ')) + u'\n';
    if (!workingDir.isEmpty())
        text += QStringLiteral("Path=") + entryValue(workingDir) + u'\n';
    text += QStringLiteral("Terminal=false\n");
    // The tray host of the session must be up before the program asks for its icon.
    text += QStringLiteral("X-GNOME-Autostart-Delay=3\n");
    return text.toUtf8();
}

} // namespace

void CriaAtalho(const QString& target, const QString& arguments, const QString& workingDir,
                const QString& linkName, const QString& subfolder, std::uint8_t locationCode) {
    // There is no shell object to create here, so nothing can fail before the file is written.
    const QString shellFolder = locationFolder(locationCode);
    if (shellFolder.isEmpty())
        return; // no home folder: there is no user folder to write into
    makeFolderPath(shellFolder);

    const QString folder = shellFolder + u'/' + subfolder;
    ::mkdir(QFile::encodeName(folder).constData(), 0777); // an existing folder is no error

    QSaveFile file(folder + linkName + QStringLiteral(".desktop"));
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(desktopEntry(target, arguments, workingDir, linkName));
    // Executable, as desktops ask of a launcher before they start it from the desktop folder.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                        QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                        QFileDevice::ExeOther);
    file.commit();
}

} // namespace vorn::common
