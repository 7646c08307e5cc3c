#include "app/frm_main.h"
#include "app/qt_prompter.h"
#include "app/startup.h"
#include "files/app_settings.h"
#include "model/radio_info.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setOrganizationName("ztprog");
    QApplication::setApplicationName("ztprog");
    // Frequencies are written and read with "." whatever the user's locale.
    QLocale::setDefault(QLocale::c());

    zt::AppState app;
    zt::Document doc;
    zt::RadioInfoRecord info;
    zt::QtPrompter prompter;
    app.prompter = &prompter;

    // Folders, language, mysetup.ini, the new document (with the model's template), Setting.ini
    // and the editing habits.
    zt::SetProgramFolders(app, QApplication::applicationFilePath().toStdString());
    zt::StartupBeforeFirstRun(app);
    zt::StartupAfterFirstRun(app, doc, info, false);

    zt::frmMain w(app, doc);
    prompter.setParent(&w);
    w.resize(1000, 700);
    w.show();

    if (!zt::OpenStartupDocument(app, doc, info, w, QApplication::arguments())) {
        zt::ShutdownSaveFiles(app);
        return 0;
    }

    const int rc = qapp.exec();
    zt::ShutdownSaveFiles(app);
    return rc;
}
