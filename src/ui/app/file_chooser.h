// SPDX-License-Identifier: GPL-3.0-or-later
// The open and save dialogs of the document commands, behind an interface so that tests can
// answer them. An empty result means the user dismissed the dialog.
#pragma once

#include <QString>

class QWidget;

namespace zt {

class FileChooser {
  public:
    virtual ~FileChooser() = default;
    // `filter` is a name filter such as "Data files (*.dat)".
    virtual QString openFileName(QWidget* parent, const QString& filter) = 0;
    // Starts at `start`; a name typed without extension gets ".dat".
    virtual QString saveFileName(QWidget* parent, const QString& start, const QString& filter) = 0;
};

class QtFileChooser : public FileChooser {
  public:
    QString openFileName(QWidget* parent, const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& start, const QString& filter) override;
};

} // namespace zt
