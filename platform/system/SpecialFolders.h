// The special folders of the original shell, mapped onto the desktop's
// conventions (XDG base directories). Folders are returned without a trailing
// '/', except the temporary folder, which ends in one as the original's did.
// An empty text means the folder cannot be determined.
#pragma once

#include <string>

namespace platform {

// The user's home folder: $HOME, else the account's home from the user database.
std::string HomeFolder();

// Application data: $XDG_DATA_HOME, else ~/.local/share.
std::string AppDataFolder();

// Per-user configuration: $XDG_CONFIG_HOME, else ~/.config.
std::string ConfigFolder();

// The product's per-user folder: the application data folder + "/JQMarlin".
std::string ProductUserFolder();

// My Pictures: $XDG_PICTURES_DIR, else the pictures entry of
// $XDG_CONFIG_HOME/user-dirs.dirs, else ~/Pictures when it exists, else home.
std::string PicturesFolder();

// The temporary folder: $TMPDIR when it names a folder, else /tmp; ends in '/'.
std::string TempFolder();

// Full path of the running program (from /proc/self/exe).
std::string ExecutablePath();

// Folder of the running program.
std::string ExecutableFolder();

}  // namespace platform
