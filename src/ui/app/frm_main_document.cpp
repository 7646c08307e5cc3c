// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's document side: opening and closing the program window, the document
// commands (New, Initialise, Open, Save, Save As, model, language, About) and undo and redo.
#include "app/frm_main.h"

#include "app/frm_about.h"
#include "app/frm_main_parts.h"
#include "app/frm_model_info.h"
#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"
#include "channels/frm_habits.h"
#include "common/twips.h"
#include "exchange/channel_exchange.h"
#include "files/app_settings.h"
#include "files/data_files.h"
#include "files/file_io.h"
#include "files/version_table.h"
#include "lang/frm_set_language.h"
#include "model/model_config.h"
#include "util/shown_text.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>
#include <QTranslator>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zt {

using namespace mainwin;

namespace {

// Window rectangle defaults, in twips.
constexpr int kDefaultLeft = 1000;
constexpr int kDefaultTop = 1000;
constexpr int kDefaultWidth = 12500;
constexpr int kDefaultHeight = 9500;

} // namespace

// ---- opening and closing ------------------------------------------------------------------

void frmMain::Form_Load() {
    restoreRectangle();
    Change_Language();
    // The main window builds the new document again as it opens.
    InitDocument(app_, doc_, *info_);
    DocumentReplaced();
    Change_Language();
    ShowChildWindow(frmCommChInfo::kName);
    ShowMainTxt();
    ShowCHInfo(false);
}

void frmMain::restoreRectangle() {
    QSettings s;
    s.beginGroup("Settings");
    const int left = s.value("MainLeft", kDefaultLeft).toInt();
    const int top = s.value("MainTop", kDefaultTop).toInt();
    const int width = s.value("MainWidth", kDefaultWidth).toInt();
    const int height = s.value("MainHeight", kDefaultHeight).toInt();
    QRect r(Tw(left, this), Tw(top, this), Tw(width, this), Tw(height, this));
    // A rectangle saved on a screen that is no longer there, or too small to use, falls back to
    // the defaults.
    bool visible = false;
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersected(r).width() >= 100 &&
            screen->availableGeometry().intersected(r).height() >= 50)
            visible = true;
    if (!visible || width < 1500 || height < 1500)
        r = QRect(Tw(kDefaultLeft, this), Tw(kDefaultTop, this), Tw(kDefaultWidth, this),
                  Tw(kDefaultHeight, this));
    resize(r.size());
    move(r.topLeft());
}

void frmMain::saveRectangle() {
    if (isMinimized())
        return;
    const double perPixel = 1440.0 / LogicalDpi(this);
    const QRect r = geometry();
    QSettings s;
    s.beginGroup("Settings");
    s.setValue("MainLeft", qRound(r.left() * perPixel));
    s.setValue("MainTop", qRound(r.top() * perPixel));
    s.setValue("MainWidth", qRound(r.width() * perPixel));
    s.setValue("MainHeight", qRound(r.height() * perPixel));
}

void frmMain::closeEvent(QCloseEvent* e) {
    if (quitting_) {
        mdi_->closeAllSubWindows();
        QMainWindow::closeEvent(e);
        return;
    }
    // Nothing may end while an exchange with the radio or a document build is under way.
    if (CommandsBlocked()) {
        e->ignore();
        return;
    }
    saveRectangle();
    // What is typed but not yet stored belongs to the document: store it before the document
    // is compared with its file.
    CommitAllEdits();
    if (!askSaveFirst()) {
        e->ignore();
        return;
    }
    // The child windows run their own unload steps before the frame goes.
    mdi_->closeAllSubWindows();
    QMainWindow::closeEvent(e);
}

bool frmMain::askSaveFirst() {
    if (!IsModified(doc_) || app_.prompter == nullptr)
        return true;
    const Answer a = app_.prompter->ask(app_.LangText(9006), Icon::Warning, Buttons::YesNoCancel);
    if (a == Answer::Cancel)
        return false;
    if (a == Answer::Yes)
        return mnuFileSave_Click();
    return true;
}

// ---- document commands --------------------------------------------------------------------

void frmMain::mnuFileNew_Click() {
    if (CommandsBlocked())
        return;
    CommitAllEdits();
    if (IsModified(doc_)) {
        // Whatever the answer (and whether the save succeeds), the new-document question follows.
        if (app_.prompter->ask(app_.LangText(9006), Icon::Warning, Buttons::YesNoCancel) == Answer::Yes)
            mnuFileSave_Click();
    }
    if (app_.prompter->ask(app_.LangText(9026), Icon::Warning, Buttons::OkCancel) != Answer::Ok) {
        app_.InitFromFactory = false;
        return;
    }
    LoadNewDoc();
}

void frmMain::NewFile_Click() {
    if (CommandsBlocked())
        return;
    LoadNewDoc();
}

void frmMain::MnuInit_Click() {
    if (CommandsBlocked())
        return;
    app_.InitFromFactory = true;
    mnuFileNew_Click();
}

void frmMain::LoadNewDoc() {
    CloseCurAllWindows();
    newDocTimer_.start();
    UpdateCommandStates();
}

void frmMain::onNewDocTimer() {
    newDocTimer_.stop();
    InitDocument(app_, doc_, *info_);
    app_.InitFromFactory = false;
    ShowReplacedDocument();
}

void frmMain::ShowReplacedDocument() {
    DocumentReplaced();
    Change_Language();
    ShowChildWindow(frmCommChInfo::kName);
    CascadeWindows();
    UpdateCommandStates();
}

bool frmMain::mnuFileOpen_Click() {
    if (CommandsBlocked())
        return false;
    CommitAllEdits();
    if (!askSaveFirst())
        return false;
    const QString path = chooser_->openFileName(this, FileFilter());
    if (path.isEmpty())
        return false;
    const std::string file = QFile::encodeName(path).toStdString();
    // Another instance that has the document open may save it over whatever this one saves.
    bool readOnly = false;
    const bool ownDocument = !app_.IsUntitled && SameFile(file, app_.DocFileName);
    if (const long other = ownDocument ? 0 : PairOpenedElsewhere(file)) {
        const std::string question =
            ShownText(file) + " is open in another program (" +
            (other > 0 ? "pid " + std::to_string(other) : std::string("its process is not known")) +
            ").\nOpen it read-only? Yes opens it read-only (it is then saved under another name only), "
            "No opens it for editing, Cancel does not open it.";
        const Answer a = app_.prompter->ask(question, Icon::Warning, Buttons::YesNoCancel);
        if (a != Answer::Yes && a != Answer::No)
            return false;
        readOnly = a == Answer::Yes;
    }
    CloseCurAllWindows();
    const OpenResult r = OpenDocument(app_, doc_, file, info_);
    if (r == OpenResult::Opened) {
        readOnly_ = readOnly;
        MarkDocumentOpen();
        DocumentReplaced();
    }
    if (r == OpenResult::HandedOver) {
        QuitAfterHandOver();
        return true;
    }
    // A refused file leaves the document as it was, shown again in the channel window.
    ShowChildWindow(frmCommChInfo::kName);
    Change_Language();
    CascadeWindows();
    return r == OpenResult::Opened;
}

bool frmMain::mnuFileSave_Click() {
    if (CommandsBlocked())
        return false;
    CommitAllEdits();
    if (app_.IsUntitled)
        return mnuFileSaveAs_Click();
    if (readOnly_) {
        app_.prompter->message(ShownText(app_.DocFileName) +
                                   " was opened read-only: it is saved under another name.",
                               Icon::Information);
        return mnuFileSaveAs_Click();
    }
    const std::string question =
        "\"" + ShownText(FileNamePart(app_.DocFileName)) + "\"" + app_.LangText(9007);
    if (app_.prompter->ask(question, Icon::Question, Buttons::OkCancel) != Answer::Ok)
        return false;
    const bool ok = SaveDocument(app_, doc_);
    ShowMainTxt();
    return ok;
}

namespace {

// Where Save As starts: the document's own path when its folder exists; otherwise its file name in
// the user's documents folder (made when missing), or in the home folder when that cannot be made.
// After a read or a new document the name is "new.dat", which has no folder of its own.
QString SaveAsStart(const std::string& docFileName) {
    const QString doc = QFile::decodeName(QByteArray::fromStdString(docFileName));
    const QFileInfo info(doc);
    if (info.isAbsolute() && info.absoluteDir().exists())
        return doc;
    const QString name = info.fileName().isEmpty() ? QStringLiteral("new.dat") : info.fileName();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir().mkpath(documents))
        return QDir(documents).filePath(name);
    return QDir::home().filePath(name);
}

} // namespace

bool frmMain::mnuFileSaveAs_Click() {
    if (CommandsBlocked())
        return false;
    CommitAllEdits();
    const QString path = chooser_->saveFileName(this, SaveAsStart(app_.DocFileName), FileFilter());
    if (path.isEmpty())
        return false;
    const std::string file = QFile::encodeName(path).toStdString();
    if (readOnly_ && (SameFile(file, app_.DocFileName) || SameFile(file, ChannelFilePath(app_.DocFileName)) ||
                      SameFile(ChannelFilePath(file), ChannelFilePath(app_.DocFileName)))) {
        app_.prompter->message(ShownText(app_.DocFileName) +
                                   " was opened read-only: choose another name to save it under.",
                               Icon::Warning);
        return false;
    }
    // The document takes the new name only when it was saved under it.
    const std::string previous = app_.DocFileName;
    app_.DocFileName = file;
    const bool ok = SaveDocument(app_, doc_);
    if (!ok) {
        app_.DocFileName = previous;
    } else {
        readOnly_ = false;
        MarkDocumentOpen();
    }
    ShowMainTxt();
    return ok;
}

bool frmMain::HandOverAndQuit(const std::string& version, bool askSave) {
    if (askSave && !askSaveFirst())
        return false;
    if (!HandOver(app_, version))
        return false;
    QuitAfterHandOver();
    return true;
}

void frmMain::QuitAfterHandOver() {
    // The other program version runs: this one ends without the save question and without
    // the shut-down steps.
    handedOver_ = true;
    quitting_ = true;
    close();
}

void frmMain::mnuModelInfo_Click() {
    if (CommandsBlocked())
        return;
    CommitAllEdits();
    FrmModelInfo dlg(app_, this);
    dlg.exec();
    if (!dlg.changeConfirmed())
        return;
    // The data being edited belongs to the old model: offer to save it before the new model
    // is stamped on anything.
    if (!askSaveFirst())
        return;
    applyModel(dlg.chosenModel(), dlg.chosenBand());
}

void frmMain::applyModel(const std::string& model, const std::string& band) {
    app_.ModelNameText = model;
    app_.BandText = band;
    info_->InfoBandCode = BandCodeFromText(band);
    ApplyBand(app_);
    ShowMainTxt();
    LoadNewDoc();
}

void frmMain::mnuLanguage_Click() {
    if (CommandsBlocked())
        return;
    CommitAllEdits();
    FrmSetLanguage dlg(app_, this);
    dlg.exec();
    // The main window is activated again as the dialog closes and applies a new language then.
    CheckLanguage();
}

void frmMain::mnuHelpAbout_Click() {
    frmAbout dlg(app_, this);
    dlg.exec();
}

// ---- undo and redo --------------------------------------------------------------------------

void frmMain::DocumentReplaced() {
    // A new or read document is untitled: no file of it is open here any more.
    if (app_.IsUntitled) {
        openMark_.release();
        readOnly_ = false;
    }
    undo_.Reset(doc_.work);
    UpdateCommandStates();
}

void frmMain::MarkDocumentOpen() {
    openMark_.release();
    if (app_.IsUntitled)
        return;
    FileError error;
    // Without a lock file (a read-only folder) nobody can save there either: no mark is needed.
    if (openMark_.acquire(app_.DocFileName, error) == LockStatus::Held)
        openMark_.holdOpen();
}

void frmMain::scheduleRecord(bool typing) {
    // The change an input makes is stored while the input is handled: the record follows it.
    pendingTyping_ = pendingTyping_ && typing;
    if (recordPending_)
        return;
    recordPending_ = true;
    QTimer::singleShot(0, this, [this] {
        const bool typing = pendingTyping_;
        recordPending_ = false;
        pendingTyping_ = true;
        recordChange(typing);
    });
}

void frmMain::recordChange(bool typing) {
    // While the document is being replaced (a read, a new document) its history waits.
    if (CommandsBlocked())
        return;
    const QWidget* source = nullptr;
    if (typing) {
        QWidget* f = QApplication::focusWidget();
        if (qobject_cast<QLineEdit*>(f) != nullptr || qobject_cast<QAbstractSpinBox*>(f) != nullptr)
            source = f;
    }
    // The group the channel window shows is where the user looks, not a change to take back:
    // a pick of another group alone is no step, and undo and redo keep the group (stepHistory).
    DocumentCopy sameGroup = undo_.Current();
    sameGroup.settings.Options.Features.ChannelGroup = doc_.work.settings.Options.Features.ChannelGroup;
    if (SameCopy(sameGroup, doc_.work)) {
        undo_.Rebase(doc_.work);
        return;
    }
    const bool couldUndo = undo_.CanUndo();
    const bool couldRedo = undo_.CanRedo();
    undo_.Record(doc_.work, source);
    if (undo_.CanUndo() != couldUndo || undo_.CanRedo() != couldRedo)
        UpdateCommandStates();
}

void frmMain::stepHistory(bool back) {
    if (CommandsBlocked())
        return;
    // A half-typed entry is stored and recorded first, so that undo takes back that entry.
    CommitAllEdits();
    recordChange(false);
    if (back ? !undo_.CanUndo() : !undo_.CanRedo())
        return;
    // Reloading hides the grid's cell editor; the keys then belong to the cell, not to whatever
    // control the focus fell to.
    QWidget* focused = QApplication::focusWidget();
    const bool inGrid =
        channels_.grid != nullptr && focused != nullptr && channels_.grid->isAncestorOf(focused);
    // The channel window keeps showing its group: a step back (an import, a setting) is no reason
    // for it to jump to the group shown when that step was taken (the group is no step of its own).
    const i16 shownGroup = doc_.work.settings.Options.Features.ChannelGroup;
    doc_.work = back ? undo_.Undo() : undo_.Redo();
    doc_.work.settings.Options.Features.ChannelGroup = shownGroup;
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (auto* w = qobject_cast<EditorWindow*>(sub->widget()))
            w->reload();
    // What the windows normalised as they were filled belongs to the restored state.
    undo_.Rebase(doc_.work);
    if (inGrid && channels_.grid != nullptr)
        channels_.grid->FocusCurrentCell();
    ShowMainTxt();
    UpdateCommandStates();
}

} // namespace zt
