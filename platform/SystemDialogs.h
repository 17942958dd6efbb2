#pragma once
// Dialogs the system shows on its own while the program works.

namespace platform {

// After a new volume was formatted, Windows offers to format it again in a dialog of class
// "#32770" titled "Microsoft Windows". Looks once for that dialog and asks it to close; true when
// one was found. Systems without such a dialog always answer false.
bool CloseSystemFormatDialog();

} // namespace platform
