// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"

#include "app/frm_main.h"
#include "channels/frm_comm_ch_info.h"
#include "files/data_files.h"

#include <QFile>

namespace zt {

bool OpenStartupDocument(AppState& app, Document& doc, RadioInfoRecord& info, frmMain& w,
                         const QStringList& args) {
    if (args.size() > 1) {
        // The channel window shows the document it opened on: it opens again on the file.
        w.CloseCurAllWindows();
        const QString path = args.at(1);
        const OpenResult r = OpenDocument(app, doc, QFile::encodeName(path).toStdString(), &info);
        if (r == OpenResult::HandedOver) {
            w.QuitAfterHandOver();
            return false;
        }
        if (r == OpenResult::Opened)
            w.MarkDocumentOpen();
    }
    w.ShowChildWindow(frmCommChInfo::kName);
    w.ShowMainTxt();
    return true;
}

} // namespace zt
