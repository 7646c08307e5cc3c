#include "app/frm_main.h"
#include "app/qt_prompter.h"
#include "channels/frm_comm_ch_info.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setOrganizationName("ztprog");
    QApplication::setApplicationName("ztprog");

    zt::AppState app;
    zt::Document doc;
    zt::QtPrompter prompter;
    app.prompter = &prompter;
    app.ProgramDir = QDir::toNativeSeparators(QApplication::applicationDirPath()).toStdString();
    app.ParentDir = QDir::toNativeSeparators(QDir(QApplication::applicationDirPath() + "/..").absolutePath())
                        .toStdString();
    const QString sep = QDir::separator();
    app.lang.load(app.ProgramDir + (sep + "language" + sep).toStdString() + app.LanguageFile);

    zt::frmMain w(app, doc);
    prompter.setParent(&w);
    w.resize(1000, 700);
    w.show();
    w.ShowChildWindow(zt::frmCommChInfo::kName);
    return qapp.exec();
}
