// SPDX-License-Identifier: GPL-3.0-or-later
// What the window tests share: a prompter that answers questions from a script, and file dialogs
// that answer with prepared paths.
#pragma once

#include "app/app_state.h"
#include "app/file_chooser.h"
#include "app/frm_main.h"
#include "files/app_settings.h"
#include "files/data_files.h"
#include "util/prompter.h"

#include <QDir>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace zt::test {

// Answers each question with the next scripted answer (Ok / Yes when the script is empty, the
// agreeing button of the question) and keeps what was asked.
class ScriptedPrompter : public Prompter {
  public:
    std::deque<Answer> script;
    std::vector<std::string> asked;
    Answer ask(const std::string& text, Icon, Buttons buttons, const std::string& = {}) override {
        asked.push_back(text);
        if (script.empty())
            return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
        const Answer a = script.front();
        script.pop_front();
        return a;
    }
};

// The open and save dialogs: each call takes the next prepared path ("" = dismissed).
class FakeChooser : public FileChooser {
  public:
    QStringList opens, saves;
    QStringList saveStarts;
    int openCalls = 0, saveCalls = 0;
    QString openFileName(QWidget*, const QString&) override {
        ++openCalls;
        return opens.isEmpty() ? QString() : opens.takeFirst();
    }
    QString saveFileName(QWidget*, const QString& start, const QString&) override {
        ++saveCalls;
        saveStarts << start;
        return saves.isEmpty() ? QString() : saves.takeFirst();
    }
};

// A fresh run of the program in a scratch folder: the build's program folder, `dir` as its parent
// (with an empty language folder for mysetup.ini), questions answered by `prompter`, English.
inline void PrepareTestApp(AppState& app, const QTemporaryDir& dir, Prompter& prompter) {
    app.ProgramDir = ZT_PROGRAM_DIR;
    app.ParentDir = dir.path().toStdString();
    QDir(dir.path()).mkpath("language");
    app.prompter = &prompter;
    SelectLanguage(app, 1);
}

// The program's state as start-up builds it, for a main-window test: stored settings (the window
// rectangle) cleared, the scratch run above, and a new document.
inline void PrepareProgramState(const QTemporaryDir& dir, AppState& app, Document& doc, RadioInfoRecord& info,
                                Prompter& prompter) {
    QSettings().clear();
    PrepareTestApp(app, dir, prompter);
    InitDocument(app, doc, info);
}

// What a main-window test holds: its scratch folder, the program's state and document, the main
// window, and the answers to its questions and file dialogs.
struct ProgramUnderTest {
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<AppState> app;
    std::unique_ptr<Document> doc;
    std::unique_ptr<RadioInfoRecord> info;
    std::unique_ptr<frmMain> w;
    ScriptedPrompter prompter;
    FakeChooser chooser;
};

} // namespace zt::test
