// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/radio_link.h"

#include "channels/frm_comm_ch_info.h"
#include "common/main_host.h"
#include "files/app_settings.h"
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
constexpr const char* kKeepBeforeSetting = "link/keepBeforeWrite";
constexpr int kBackupReadCaption = 34715;
constexpr int kWritingCaption = 34716;

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
    w.SetCommand(Cmd::MnuKeepBeforeWrite, [this] { MnuKeepBeforeWrite_Click(); });
    applyVerifySetting(QSettings().value(kVerifySetting, false).toBool());
    applyKeepBeforeSetting(QSettings().value(kKeepBeforeSetting, true).toBool());
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
    startExchange([this] { return engine_.startRead(); });
}

void RadioLink::mnuWriteToRadio_Click() {
    if (!commitEditsForExchange())
        return;
    restoreAgain_ = nullptr;
    waitSaveDataTimer_.start();
    w_.UpdateCommandStates();
}

void RadioLink::onWaitSaveData() {
    waitSaveDataTimer_.stop();
    // "Write again" after a restore restores again; otherwise the document is written.
    if (restoreAgain_)
        startExchange(restoreAgain_);
    else
        startExchange([this] { return engine_.startWrite(); });
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
    startExchange([this] { return engine_.startInfoRead(); });
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
    if (dlg.radioAnswered())
        EndFirstRun(app_);
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

void RadioLink::applyKeepBeforeSetting(bool on) {
    engine_.setKeepBeforeWrite(on);
    w_.action(Cmd::MnuKeepBeforeWrite)->setChecked(on);
}

void RadioLink::MnuKeepBeforeWrite_Click() {
    const bool on = w_.action(Cmd::MnuKeepBeforeWrite)->isChecked();
    applyKeepBeforeSetting(on);
    QSettings().setValue(kKeepBeforeSetting, on);
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
    if (dlg.action() == FrmBackups::Action::Restore) {
        restoreBackup(*dlg.chosen());
        return;
    }
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

void RadioLink::restoreBackup(const BackupEntry& entry) {
    // The document stays as it is: what goes to the radio is the backup's memory, byte for byte.
    std::string error;
    const auto image = ReadBackupImage(entry, &error);
    if (!image) {
        app_.prompter->ask(app_.LangText(kMsgBackupNotOpened) + "\r\n" + error, Icon::Critical, Buttons::Ok);
        return;
    }
    restoreName_ = std::filesystem::path(entry.folder).filename().string();
    const RestoreTarget target = RestoreTargetOf(*image, entry.serial);
    restoreAgain_ = [this, img = *image, target] { return engine_.startRestore(img, target); };
    startExchange(restoreAgain_);
}

void RadioLink::startExchange(const std::function<bool()>& start) {
    // The engine works on its own information record: it starts from the one the windows show
    // (model, band and version are not read from the radio). What is kept of the radio comes from
    // the radio on the cable alone (LinkEngine::cableRadio).
    engine_.radioInfo() = w_.radioInfo();
    backupFailureShown_ = false;
    writeBackup_.clear();
    w_.SetExchangeRunning(true);
    if (!start())
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

void RadioLink::beginBackupRead() {
    if (progress_ != nullptr)
        progress_->SetPhase(QString::fromStdString(app_.LangText(kBackupReadCaption)));
}

void RadioLink::beginWriting() {
    if (progress_ != nullptr)
        progress_->SetPhase(QString::fromStdString(app_.LangText(kWritingCaption)));
}

WriteBackup RadioLink::keepBackupNow(BackupKind kind, const RadioImage& image) {
    BackupStore store(BackupsFolder());
    // The radio is the one read on the cable in this exchange, never the one an information
    // window shows or an earlier exchange read.
    BackupRadio radio;
    if (const CableRadio* c = engine_.cableRadio())
        radio = {&c->infoBlock, c->ident.modelId, c->ident.firmware};
    std::string error;
    if (const auto kept = KeepExchangeBackup(store, kind, image, doc_, radio, &error)) {
        // A write's listing names its document (a restore its backup); how it ended follows as
        // soon as that is known.
        if (IsWriteBackup(kind)) {
            writeBackup_ = *kept;
            NoteBackupWrite(writeBackup_, kind == BackupKind::Restore ? restoreName_ : DocumentName(),
                            BackupCheck::NotChecked);
        }
        return {*kept, {}};
    }
    return {{}, error.empty() ? "cannot write " + store.folder() : error};
}

WriteBackup RadioLink::keepWriteBackup(const RadioImage& image) {
    // When it cannot be kept, the engine asks whether to write without it.
    return keepBackupNow(engine_.restoring() ? BackupKind::Restore : BackupKind::Write, image);
}

WriteBackup RadioLink::keepMemoryBackup(const RadioImage& memory) {
    return keepBackupNow(BackupKind::BeforeWrite, memory);
}

std::string RadioLink::newestMemoryBackup(const std::string& serial) {
    const auto e = BackupStore(BackupsFolder()).newestMemory(serial);
    return e ? e->date + " " + e->time + ": " + e->folder : std::string();
}

void RadioLink::writeOutcome(bool acknowledged, VerifyStatus verify) {
    // Stored now, before the write's message is shown: the list is right whatever the user does.
    if (writeBackup_.empty())
        return;
    NoteBackupWrite(writeBackup_, engine_.restoring() ? restoreName_ : DocumentName(),
                    !acknowledged                      ? BackupCheck::Failed
                    : verify == VerifyStatus::Verified ? BackupCheck::Verified
                    : verify == VerifyStatus::Differs  ? BackupCheck::Differs
                                                       : BackupCheck::NotChecked);
    writeBackup_.clear();
}

void RadioLink::keepBackup(LinkMode mode, const RadioImage& image) {
    if (mode != LinkMode::Read)
        return;
    const std::string error = keepBackupNow(BackupKind::Read, image).error;
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
    // The radio answered: the first-run window has nothing left to set up.
    if (ok)
        EndFirstRun(app_);
    if (ok && mode == LinkMode::Read) {
        w_.CloseCurAllWindows();
        readOkTimer_.start();
        w_.UpdateCommandStates();
    } else if (ok && mode == LinkMode::Info) {
        w_.radioInfo() = engine_.radioInfo();
        w_.ShowChildWindow(Win::FrmRadioInfo);
    }
    if (!result.writeAgain)
        restoreAgain_ = nullptr;
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
