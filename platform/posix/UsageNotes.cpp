#include "platform/UsageNotes.h"

namespace platform {

std::string_view storageHelp() {
  return R"(Where preferences are stored:
  registry  two SQLite hive files:
            per-user      $QUILLBRAY_USER_HIVE, else
                          $XDG_CONFIG_HOME/quillbray/user.hive, else
                          ~/.config/quillbray/user.hive
            machine-wide  $QUILLBRAY_MACHINE_HIVE, else
                          /var/lib/quillbray/machine.hive
            PerMachine values go to the machine-wide hive when this user
            may write it, else per-user. Show them with (or HKLM):
            quillbray-reg export 'HKCU\Software\Corvellan\Quillbray 4'
  file      "Corvellan/Quillbray 4/Quillbray.ini" in $XDG_CONFIG_HOME
            (PerUserRoam; else ~/.config), $XDG_DATA_HOME (PerUserNonRoam;
            else ~/.local/share) or the first of $XDG_CONFIG_DIRS
            (PerMachine; else /etc/xdg). Show them with (or HKLM):
            quillbray-reg --location file export 'HKCU\Software\Corvellan\Quillbray 4'
  usb       Quillbray.ini in this program's own folder, for every scope

Environment:
  QUILLBRAY_USER_HIVE, QUILLBRAY_MACHINE_HIVE  the hive files (above)
  XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CONFIG_DIRS, HOME  the folders (above)
  QUILLBRAY_DIALOGS  "console": messages on standard error; "gui": zenity
                     dialogs; unset: dialogs when DISPLAY or WAYLAND_DISPLAY
                     is set, else standard error

)";
}

std::string_view switchHelp() {
  return R"(Switches (any letter case; a value may follow its switch directly or after
blanks, may hold blanks, and runs to the next " /IC" or " /IP" or the end):
  /IC FILE      the configuration file to import
  /IP PROGRAM   a path whose folder completes an /IC name without a folder;
                a path ending in "/", "." or ".." is that folder itself

Options (each counts only as a whole argument):
)";
}

std::string_view helpOption() { return "--help"; }

std::string_view moreHelp() { return "See quillbray-import(1) and quillbray-reg(1).\n"; }

}  // namespace platform
