// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes of the program: every question and message of the core and the windows.
#pragma once

#include "util/prompter.h"

#include <functional>
#include <string>

class QWidget;

namespace zt {

class QtPrompter : public Prompter {
  public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    // Where the title of a box without one of its own comes from at the time it is shown (the
    // program's name in the current language); unset, the application's display name.
    void setDefaultTitle(std::function<std::string()> title) { defaultTitle_ = std::move(title); }
    Answer ask(const std::string& text, Icon icon, Buttons buttons, const std::string& title = {}) override;

  private:
    QWidget* parent_;
    std::function<std::string()> defaultTitle_;
};

} // namespace zt
