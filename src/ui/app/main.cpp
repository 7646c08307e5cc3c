// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_main.h"
#include "app/frm_splash.h"
#include "app/qt_prompter.h"
#include "app/qt_translations.h"
#include "app/startup.h"
#include "files/app_settings.h"
#include "link/load_frm_link.h"
#include "link/radio_link.h"
#include "model/radio_info.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>

#include <memory>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setOrganizationName("ztprog");
    QApplication::setApplicationName("ztprog");
    // The desktop entry and the icon of the installed program (the window managers match both).
    QApplication::setDesktopFileName(ZT_APP_ID);
    QApplication::setWindowIcon(QIcon(":/icons/ztprog.svg"));
    // Frequencies are written and read with "." whatever the user's locale.
    QLocale::setDefault(QLocale::c());

    zt::AppState app;
    zt::Document doc;
    zt::RadioInfoRecord info;
    zt::QtPrompter prompter;
    app.prompter = &prompter;
    // Message boxes carry the program's name in the language of the moment.
    prompter.setDefaultTitle([&app] { return app.LangText(12000); });
    // The hand-over to another installed version: that program runs in its own folder.
    app.startProcess = [](const std::string& program) {
        const QString path = QString::fromStdString(program);
        return QProcess::startDetached(path, {}, QFileInfo(path).absolutePath());
    };

    // Folders, language, mysetup.ini, the new document (with the model's template), Setting.ini
    // and the editing habits.
    zt::SetProgramFolders(app, QApplication::applicationFilePath().toStdString());
    // An installed program folder is only read: the settings then live in the user's own folder.
    zt::ChooseSettingsFolder(
        app,
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)).toStdString());
    zt::StartupBeforeFirstRun(app);
    // Until a radio has answered once, the first-run window comes first. Going on without a radio
    // leaves the flag set (the test is offered again next time) and keeps the port chosen there;
    // a radio that answered clears it, and the echo setting found starts the first exchange.
    bool firstRunShown = false;
    bool noEcho = false;
    if (app.IsFirstRun) {
        zt::ApplyQtTranslations(app.LanguageCode);
        zt::LoadFrmLink firstRun(app);
        firstRun.exec();
        firstRunShown = !app.IsFirstRun;
        noEcho = firstRun.noEcho();
    }
    zt::StartupAfterFirstRun(app, doc, info, firstRunShown);
    // No application display name: Qt would add it to every window title (the main window's
    // already names the program, and small dialogs' titles would be cut); message boxes take the
    // program's name in the chosen language from the prompter.

    std::unique_ptr<zt::frmMain> w;
    bool handedOver = false;
    // The splash opens the main window when its time is up or it is clicked.
    auto* splash = new zt::frmSplash(app, [&] {
        w = std::make_unique<zt::frmMain>(app, doc, info);
        prompter.setParent(w.get());
        if (auto* link = w->findChild<zt::RadioLink*>(zt::RadioLink::kName))
            link->engine().setNoEcho(noEcho);
        w->Form_Load();
        w->show();
        if (!zt::OpenStartupDocument(app, doc, info, *w, QApplication::arguments()))
            handedOver = true;
    });
    splash->show();

    const int rc = qapp.exec();
    // After a hand-over to another version this program ends without its shut-down steps.
    if (!handedOver && !(w && w->HandedOver()))
        zt::ShutdownSaveFiles(app);
    return rc;
}
