// SPDX-License-Identifier: GPL-3.0-or-later
// A main window over a new document, for the tests of the editor windows that it opens by name.
#pragma once

#include "app/frm_main.h"
#include "files/app_settings.h"
#include "files/data_files.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace zt::test {

class EditorFixture {
  protected:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<AppState> app;
    std::unique_ptr<Document> doc;
    std::unique_ptr<frmMain> w;
    ScriptedPrompter prompter;

    void setUpApp() {
        QStandardPaths::setTestModeEnabled(true);
        dir = std::make_unique<QTemporaryDir>();
        app = std::make_unique<AppState>();
        app->ProgramDir = ZT_PROGRAM_DIR;
        app->ParentDir = dir->path().toStdString();
        app->prompter = &prompter;
        doc = std::make_unique<Document>();
        RadioInfoRecord info;
        SelectLanguage(*app, 1);
        InitDocument(*app, *doc, info);
    }
    // The main window as the program starts it (which builds a new document: change the
    // document after this), in language 1 (English) or 2 (Chinese).
    void start(int language = 1) {
        SelectLanguage(*app, language);
        w = std::make_unique<frmMain>(*app, *doc);
        w->Form_Load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        prompter.asked.clear();
    }
    template <class W> W* open() {
        auto* win = qobject_cast<W*>(w->ShowChildWindow(W::kName));
        QApplication::processEvents();
        return win;
    }
};

} // namespace zt::test
