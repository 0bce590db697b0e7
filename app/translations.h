// Qt's own texts (the buttons of message boxes, the file dialogs, the menus
// of text fields) in Japanese, whatever the desktop's language is: every
// other word of the program is Japanese too.
#pragma once

namespace translations {

// Installs Qt's Japanese translations into the application, once per
// process; without them installed on the system Qt keeps its English.
void load();

} // namespace translations
