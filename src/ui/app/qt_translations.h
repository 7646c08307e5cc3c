// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own texts (the standard buttons of message boxes and dialogs, file and print dialogs, the
// serial port's error texts) in the program's language: Chinese (language 2) installs Qt's
// Chinese translations, English removes them. One set for the whole program, so the first-run
// window and the main window switch together.
#pragma once

namespace zt {

// Returns true when the translations the language needs are installed (English needs none).
bool ApplyQtTranslations(int languageCode);

} // namespace zt
