#pragma once

// The current user's folders on a freedesktop system: the base folders of the XDG base-directory
// rules and the named user folders (desktop, documents, ...) of xdg-user-dirs. Every function
// reads the environment and the files at the moment of the call; paths come without a trailing
// "/". An empty result means the user's home folder cannot be found.

#include <QString>

namespace vorn::platform {

// $HOME, else the home folder of the password database.
QString homeFolder();

// $XDG_CONFIG_HOME, $XDG_DATA_HOME, $XDG_CACHE_HOME, $XDG_STATE_HOME when set to an absolute path
// (relative values are invalid and ignored), else ~/.config, ~/.local/share, ~/.cache and
// ~/.local/state.
QString configHome();
QString dataHome();
QString cacheHome();
QString stateHome();

// The user folder `name` ("DESKTOP", "DOCUMENTS", "TEMPLATES", "PICTURES", "MUSIC", ...) the way
// xdg-user-dir finds it: the last XDG_<name>_DIR line of $XDG_CONFIG_HOME/user-dirs.dirs, else the
// environment variable XDG_<name>_DIR, else `fallback`. A value is "$HOME/..." or an absolute path
// in double quotes, with \" \\ \$ \` escapes; any other value is ignored.
QString userDirectory(const QString& name, const QString& fallback);

} // namespace vorn::platform
