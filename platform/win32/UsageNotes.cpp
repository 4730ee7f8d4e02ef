#include "platform/UsageNotes.h"

namespace platform {

std::string_view storageHelp() {
  return R"(Where preferences are stored:
  registry  HKEY_CURRENT_USER\Software\Corvellan\Quillbray 4 (per-user),
            HKEY_LOCAL_MACHINE\Software\Corvellan\Quillbray 4 (machine-wide).
            PerMachine values go to HKEY_LOCAL_MACHINE when this process
            may write it, else per-user. Show them with (or HKLM):
            quillbray-reg export "HKCU\Software\Corvellan\Quillbray 4"
  file      "Corvellan\Quillbray 4\Quillbray.ini" in the roaming application
            data folder (PerUserRoam), the local one (PerUserNonRoam) or the
            all-users one (PerMachine). Show them with (or HKLM):
            quillbray-reg --location file export "HKCU\Software\Corvellan\Quillbray 4"
  usb       Quillbray.ini in this program's own folder, for every scope

Environment:
  QUILLBRAY_DIALOGS  "console": messages on standard error; unset or "gui":
                     message boxes where the desktop is visible, else
                     standard error

)";
}

std::string_view switchHelp() {
  return R"(Switches (any letter case; a value may follow its switch directly or after
blanks, may hold blanks, and runs to the next "/" or the end of the line;
a value in double quotes loses them):
  /IC FILE      the configuration file to import
  /IP PROGRAM   a path whose folder completes an /IC name without a folder
                ("C:\Tools\quillbray.exe" => "C:\Tools\")

Options (each a whole word outside double quotes, anywhere on the line,
before, inside or after a switch's value):
)";
}

std::string_view helpOption() { return "/?"; }

std::string_view moreHelp() {
  return "See README-Windows.txt and the documents in the docs folder beside this program.\n";
}

}  // namespace platform
