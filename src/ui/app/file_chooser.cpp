// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/file_chooser.h"

#include <QFileDialog>

namespace zt {

namespace {

QString Run(QFileDialog& dlg) {
    dlg.setDefaultSuffix("dat");
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().constFirst();
}

} // namespace

QString QtFileChooser::openFileName(QWidget* parent, const QString& filter) {
    QFileDialog dlg(parent, QString(), QString(), filter);
    dlg.setObjectName("dlgOpen");
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    return Run(dlg);
}

QString QtFileChooser::saveFileName(QWidget* parent, const QString& start, const QString& filter) {
    QFileDialog dlg(parent, QString(), start, filter);
    dlg.setObjectName("dlgSave");
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.selectFile(start);
    return Run(dlg);
}

} // namespace zt
