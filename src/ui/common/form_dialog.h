// SPDX-License-Identifier: GPL-3.0-or-later
// A small modal dialog with OK and Cancel buttons labelled from the language file (texts 9017
// and 9018), a form of labelled controls, and Enter moving on to the next control.
#pragma once

#include "app/app_state.h"

#include <QDialog>

class QFormLayout;
class QLabel;
class QDialogButtonBox;
class QPushButton;

namespace zt {

class FormDialog : public QDialog {
    Q_OBJECT
  public:
    FormDialog(const AppState& app, const char* name, QWidget* parent = nullptr);

    QPushButton* CommandOK() const { return ok_; }
    QPushButton* CommandCancel() const { return cancel_; }

  protected:
    // Adds a button between OK and Cancel (Tab goes OK, it, Cancel); its click is the caller's.
    QPushButton* addButton(const QString& text, const char* name);
    // Adds a row "label: control"; Enter in the control moves the focus to the next control.
    QLabel* addRow(QWidget* control, const char* name);
    // Adds a control across the whole form, without a label (a list, a table). Enter in it is left
    // to the control and then to the dialog, which presses its default button.
    void addWideRow(QWidget* control);
    // Makes Enter in `w` move the focus to the next control instead of closing the dialog.
    void enterMovesOn(QWidget* w);
    bool eventFilter(QObject* o, QEvent* e) override;
    // The first control of the form has the focus when the dialog opens.
    void showEvent(QShowEvent* e) override;
    QString T(int id) const { return QString::fromStdString(app_.LangText(id)); }

    const AppState& app_;

  private:
    // Puts `control` next in the Tab order, before the buttons.
    void chain(QWidget* control);

    QFormLayout* form_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* extra_ = nullptr;
    QDialogButtonBox* box_ = nullptr;
    QWidget* lastControl_ = nullptr;
    QWidget* firstControl_ = nullptr;
};

} // namespace zt
