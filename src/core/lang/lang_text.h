// SPDX-License-Identifier: GPL-3.0-or-later
// Text lookup by numeric id from the current language file (english.ini or chinese.ini).
#pragma once

#include <map>
#include <string>

namespace zt {

// The INI section that holds a text id ("Msg" for 9000..9999, "Menu" for 10000..10999, ...).
const char* SectionForId(int id);

class LangTexts {
  public:
    // Loads a language file; a missing file leaves every text empty. Files that are not valid
    // UTF-8 are decoded from the legacy code page of their language (GBK or Windows-1252).
    bool load(const std::string& path);
    // The text of an id, UTF-8, trimmed, at most 254 characters; "" when missing.
    std::string text(int id) const;

  private:
    std::map<int, std::string> texts_;
};

} // namespace zt
