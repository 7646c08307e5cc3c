// Message boxes of the program: every question and message of the core and the windows.
#pragma once

#include "util/prompter.h"

class QWidget;

namespace zt {

class QtPrompter : public Prompter {
  public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    Answer ask(const std::string& text, Icon icon, Buttons buttons, const std::string& title = {}) override;

  private:
    QWidget* parent_;
};

} // namespace zt
