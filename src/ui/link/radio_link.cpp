// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/radio_link.h"

#include "channels/frm_comm_ch_info.h"
#include "common/main_host.h"
#include "link/frm_backups.h"
#include "link/frm_batch_write.h"
#include "link/frm_pass_word.h"
#include "link/frm_progress.h"
#include "link/frm_set_comm.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <unistd.h>

namespace zt {

namespace {

constexpr int kMsgPortPermission = 22003;
constexpr int kReadOkMs = 500;
constexpr int kWaitSaveDataMs = 100;
constexpr int kVerifyCaption = 33211;
constexpr int kMsgBackupNotOpened = 33231;
constexpr int kMsgBackupNotKept = 33232;
constexpr const char* kVerifySetting = "link/verifyAfterWrite";

} // namespace

std::string PortDevicePath(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return name;
#ifdef Q_OS_WIN
    return name;
#else
    return "/dev/" + name;
#endif
}

bool PortAccessDenied(const std::string& name) {
#ifdef Q_OS_WIN
    (void)name;
    return false;
#else
    const std::string path = PortDevicePath(name);
    if (::access(path.c_str(), F_OK) != 0)
        return false;
    return ::access(path.c_str(), R_OK | W_OK) != 0 && errno == EACCES;
#endif
}

bool ReportPortPermission(const AppState& app, const std::string& name) {
    if (!PortAccessDenied(name) || app.prompter == nullptr)
        return false;
    app.prompter->ask(app.LangText(kMsgPortPermission) + "\r\n" + PortDevicePath(name), Icon::Critical,
                      Buttons::Ok);
    return true;
}

RadioLink::RadioLink(AppState& app, Document& doc, MainHost& w)
    : QObject(w.hostWidget()), app_(app), doc_(doc), w_(w), port_(serial_, app), versions_(app),
      engine_(app, doc, port_, timer_, *this, versions_) {
    setObjectName(kName);
    AttachLinkEngine(serial_, timer_, engine_);

    readOkTimer_.setSingleShot(true);
    readOkTimer_.setInterval(kReadOkMs);
    connect(&readOkTimer_, &QTimer::timeout, this, &RadioLink::onReadOK);
    w.AddBlockingTimer(&readOkTimer_);
    waitSaveDataTimer_.setSingleShot(true);
    waitSaveDataTimer_.setInterval(kWaitSaveDataMs);
    connect(&waitSaveDataTimer_, &QTimer::timeout, this, &RadioLink::onWaitSaveData);
    w.AddBlockingTimer(&waitSaveDataTimer_);

    w.SetCommand(Cmd::mnuReadFromRadio, [this] { mnuReadFromRadio_Click(); });
    w.SetCommand(Cmd::mnuWriteToRadio, [this] { mnuWriteToRadio_Click(); });
    w.SetCommand(Cmd::MnuWriteSeveral, [this] { MnuWriteSeveral_Click(); });
    w.SetCommand(Cmd::MnuProPassWord, [this] { MnuProPassWord_Click(); });
    w.SetCommand(Cmd::MnuLocalInfo, [this] { MnuLocalInfo_Click(); });
    w.SetCommand(Cmd::mnuComm, [this] { mnuComm_Click(); });
    w.SetCommand(Cmd::MnuVerifyWrite, [this] { MnuVerifyWrite_Click(); });
    w.SetCommand(Cmd::MnuRestoreBackup, [this] { MnuRestoreBackup_Click(); });
    applyVerifySetting(QSettings().value(kVerifySetting, false).toBool());
}

RadioLink::~RadioLink() = default;

// ---- commands ------------------------------------------------------------------------------

bool RadioLink::commitEditsForExchange() {
    if (w_.CommandsBlocked() || engine_.busy())
        return false;
    w_.CommitAllEdits();
    if (w_.channels().GridOpen())
        w_.channels().grid->SetEditDisable();
    return true;
}

void RadioLink::mnuReadFromRadio_Click() {
    if (!commitEditsForExchange())
        return;
    // A read replaces the document: a changed one is offered for saving first.
    if (!w_.AskSaveFirst())
        return;
    startExchange(&LinkEngine::startRead);
}

void RadioLink::mnuWriteToRadio_Click() {
    if (!commitEditsForExchange())
        return;
    waitSaveDataTimer_.start();
    w_.UpdateCommandStates();
}

void RadioLink::onWaitSaveData() {
    waitSaveDataTimer_.stop();
    startExchange(&LinkEngine::startWrite);
}

void RadioLink::MnuWriteSeveral_Click() {
    if (!commitEditsForExchange())
        return;
    QString path;
    if (batchLogDialog) {
        path = batchLogDialog();
    } else {
        const QFileInfo doc(QString::fromStdString(app_.DocFileName));
        path = QFileDialog::getSaveFileName(w_.hostWidget(), QString::fromStdString(app_.LangText(34611)),
                                            doc.dir().filePath(doc.completeBaseName() + "-log.csv"),
                                            QString::fromStdString(app_.LangText(34659)), nullptr,
                                            QFileDialog::DontConfirmOverwrite); // the log is appended to
        if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
            path += ".csv";
    }
    if (path.isEmpty())
        return;
    // A log that cannot be written stops everything before a radio is touched.
    BatchLog log;
    std::string error;
    if (!log.open(QFile::encodeName(path).toStdString(), app_.DocFileName, &error)) {
        app_.prompter->ask(app_.LangText(34612) + "\r\n" + error, Icon::Critical, Buttons::Ok);
        return;
    }
    std::string confirm = app_.LangText(34657);
    for (const auto& [mark, value] :
         {std::pair{"%1", QFileInfo(QString::fromStdString(app_.DocFileName)).fileName().toStdString()},
          std::pair{"%2", engine_.portName()}})
        if (const auto at = confirm.find(mark); at != std::string::npos)
            confirm.replace(at, 2, value);
    if (app_.prompter->ask(confirm, Icon::Question, Buttons::OkCancel) != Answer::Ok)
        return;
    BackupStore store(BackupsFolder());
    w_.SetExchangeRunning(true);
    {
        FrmBatchWrite dlg(app_, doc_, log, &store, engine_.verifyAfterWrite(), engine_.programmingPassword(),
                          w_.hostWidget());
        dlg.passwordDialog = passwordDialog;
        dlg.exec();
        // A password given during the batch is the one the next exchange offers first.
        engine_.setProgrammingPassword(dlg.batch().engine().programmingPassword());
    }
    w_.SetExchangeRunning(false);
}

void RadioLink::MnuLocalInfo_Click() {
    if (w_.CommandsBlocked() || engine_.busy())
        return;
    if (auto* open = qobject_cast<EditorWindow*>(w_.ChildByName(Name(Win::FrmRadioInfo))))
        open->closeWindow();
    startExchange(&LinkEngine::startInfoRead);
}

void RadioLink::MnuProPassWord_Click() {
    if (engine_.busy())
        return;
    std::string password = engine_.programmingPassword();
    FrmPassWord dlg(app_, password, w_.hostWidget());
    dlg.exec();
    engine_.setProgrammingPassword(dlg.password());
}

void RadioLink::mnuComm_Click() {
    if (w_.CommandsBlocked() || engine_.busy())
        return;
    FrmSetComm dlg(app_, w_.hostWidget());
    dlg.exec();
    // A radio found on the chosen port: its exchanges start with the echo setting found there.
    if (dlg.stored() && dlg.foundNoEcho())
        engine_.setNoEcho(*dlg.foundNoEcho());
    w_.ShowMainTxt(); // the port in the status bar
}

void RadioLink::applyVerifySetting(bool on) {
    engine_.setVerifyAfterWrite(on);
    w_.action(Cmd::MnuVerifyWrite)->setChecked(on);
}

void RadioLink::MnuVerifyWrite_Click() {
    const bool on = w_.action(Cmd::MnuVerifyWrite)->isChecked();
    applyVerifySetting(on);
    QSettings().setValue(kVerifySetting, on);
}

std::string RadioLink::BackupsFolder() {
    return BackupFolder(
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).toStdString());
}

void RadioLink::MnuRestoreBackup_Click() {
    if (!commitEditsForExchange())
        return;
    const std::string folder = BackupsFolder();
    FrmBackups dlg(app_, BackupStore(folder).list(), QFile::decodeName(QByteArray::fromStdString(folder)),
                   w_.hostWidget());
    if (dlg.exec() != QDialog::Accepted || !dlg.chosen())
        return;
    // The backup replaces the document: a changed one is offered for saving first.
    if (!w_.AskSaveFirst())
        return;
    w_.CloseCurAllWindows();
    std::string detail;
    if (const int refused = OpenBackup(app_, doc_, w_.radioInfo(), *dlg.chosen(), &detail)) {
        // The document stays as it was, shown again in the channel window.
        app_.prompter->ask(app_.LangText(kMsgBackupNotOpened) + "\r\n" + app_.LangText(refused) +
                               (detail.empty() ? "" : "\r\n" + detail),
                           Icon::Critical, Buttons::Ok);
        w_.ShowChildWindow(Win::frmCommChInfo);
        w_.CascadeWindows();
        return;
    }
    w_.ShowReplacedDocument();
}

void RadioLink::startExchange(bool (LinkEngine::*start)()) {
    // The engine works on its own information record: it starts from the one the windows show
    // (model, band and version are not read from the radio).
    engine_.radioInfo() = w_.radioInfo();
    backupFailureShown_ = false;
    w_.SetExchangeRunning(true);
    if (!(engine_.*start)())
        w_.SetExchangeRunning(engine_.busy());
}

// ---- engine host ---------------------------------------------------------------------------

void RadioLink::openProgress(LinkMode mode) {
    closeProgress();
    progress_ = new FrmProgress(app_, mode, w_.hostWidget());
    progress_->show();
}

void RadioLink::setProgress(int percent) {
    if (progress_ != nullptr && progress_->isVisible())
        progress_->SetProgressValue(percent);
}

void RadioLink::closeProgress() {
    if (progress_ == nullptr)
        return;
    FrmProgress* p = progress_;
    progress_ = nullptr;
    p->allowClose();
    p->close();
    p->deleteLater();
}

void RadioLink::beginReadBack() {
    if (progress_ != nullptr)
        progress_->SetPhase(QString::fromStdString(app_.LangText(kVerifyCaption)));
}

WriteBackup RadioLink::keepBackupNow(LinkMode mode, const RadioImage& image) {
    BackupStore store(BackupsFolder());
    // The raw information area goes with it only when this run has read it from a radio.
    const RadioInfoBlock& block = engine_.infoBlock();
    const bool blockRead = std::any_of(block.begin(), block.end(), [](std::uint8_t b) { return b != 0xFF; });
    std::string error;
    if (const auto kept =
            KeepExchangeBackup(store, mode == LinkMode::Read ? BackupKind::Read : BackupKind::Write, image,
                               doc_, engine_.radioInfo(), blockRead ? &block : nullptr, &error)) {
        // A write's backup names its document; the read-back's finding follows at the end.
        if (mode == LinkMode::Write) {
            writeBackup_ = *kept;
            NoteBackupWrite(writeBackup_, DocumentName(), BackupCheck::NotChecked);
        }
        return {*kept, {}};
    }
    return {{}, error.empty() ? "cannot write " + store.folder() : error};
}

WriteBackup RadioLink::keepWriteBackup(const RadioImage& image) {
    // When it cannot be kept, the engine asks whether to write without it.
    return keepBackupNow(LinkMode::Write, image);
}

void RadioLink::keepBackup(LinkMode mode, const RadioImage& image) {
    const std::string error = keepBackupNow(mode, image).error;
    if (error.empty())
        return;
    // The exchange goes on without it; the user hears of it once.
    if (backupFailureShown_ || app_.prompter == nullptr)
        return;
    backupFailureShown_ = true;
    app_.prompter->ask(app_.LangText(kMsgBackupNotKept) + "\r\n" + error, Icon::Warning, Buttons::Ok);
}

bool RadioLink::askPassword(std::string& password) {
    if (passwordDialog)
        return passwordDialog(password);
    QWidget* parent = progress_ != nullptr ? static_cast<QWidget*>(progress_) : w_.hostWidget();
    FrmPassWord dlg(app_, password, parent);
    dlg.exec();
    password = dlg.password();
    return true;
}

std::string RadioLink::DocumentName() const {
    return std::filesystem::path(app_.DocFileName).filename().string();
}

void RadioLink::handOver(const std::string& radioVersion) {
    // The port is closed already; a changed document is offered for saving before this program
    // ends (a 9063 message follows when the other version cannot be started).
    w_.HandOverAndQuit(radioVersion, true);
}

void RadioLink::exchangeEnded(const LinkResult& result) {
    const LinkMode mode = result.mode;
    const bool ok = result.ok();
    w_.SetExchangeRunning(false);
    if (mode == LinkMode::Write && !writeBackup_.empty()) {
        const BackupCheck check = result.verify == VerifyStatus::Verified  ? BackupCheck::Verified
                                  : result.verify == VerifyStatus::Differs ? BackupCheck::Differs
                                                                           : BackupCheck::NotChecked;
        if (check != BackupCheck::NotChecked)
            NoteBackupWrite(writeBackup_, DocumentName(), check);
        writeBackup_.clear();
    }
    if (ok && mode == LinkMode::Read) {
        w_.CloseCurAllWindows();
        readOkTimer_.start();
        w_.UpdateCommandStates();
    } else if (ok && mode == LinkMode::Info) {
        w_.radioInfo() = engine_.radioInfo();
        w_.ShowChildWindow(Win::FrmRadioInfo);
    }
    emit ended(mode, ok);
    if (result.writeAgain) {
        // The user chose to write again after a read-back that did not find what was written.
        waitSaveDataTimer_.start();
        w_.UpdateCommandStates();
    }
}

void RadioLink::onReadOK() {
    readOkTimer_.stop();
    // Windows opened since the read ended show the old document: they go before it is replaced.
    w_.CloseCurAllWindows();
    AcceptReadImage(engine_, app_, doc_);
    w_.radioInfo() = engine_.radioInfo();
    w_.ShowReplacedDocument();
}

RadioLink* InstallRadioLink(MainHost& w, AppState& app, Document& doc) {
    return new RadioLink(app, doc, w);
}

} // namespace zt
