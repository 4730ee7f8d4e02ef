// QUILLBRAY_DIALOGS: which form of message boxes the user asked for.
#pragma once

namespace platform {

enum class DialogsChoice { Automatic, Console, Desktop };

// "console" or "gui" from QUILLBRAY_DIALOGS; anything else is Automatic (the
// platform decides from the session), and a value that is neither is named
// on standard error, once per process.
DialogsChoice dialogsChoice();

}  // namespace platform
