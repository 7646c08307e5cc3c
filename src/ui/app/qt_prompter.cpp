// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt_prompter.h"

#include <QApplication>
#include <QMessageBox>

namespace zt {

Answer QtPrompter::ask(const std::string& text, Icon icon, Buttons buttons, const std::string& title) {
    QMessageBox box(parent_);
    box.setText(QString::fromStdString(text));
    const std::string fallback = defaultTitle_ ? defaultTitle_() : std::string();
    box.setWindowTitle(!title.empty()      ? QString::fromStdString(title)
                       : !fallback.empty() ? QString::fromStdString(fallback)
                                           : QApplication::applicationDisplayName());
    switch (icon) {
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::None:
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case Buttons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Retry:
        return Answer::Retry;
    default:
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}

} // namespace zt
