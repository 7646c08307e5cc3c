#include "link/radio_link.h"

#include "app/frm_main.h"
#include "channels/frm_comm_ch_info.h"
#include "link/frm_backups.h"
#include "link/frm_pass_word.h"
#include "link/frm_progress.h"
#include "link/frm_set_comm.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
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

RadioLink::RadioLink(AppState& app, Document& doc, frmMain& w)
    : QObject(&w), app_(app), doc_(doc), w_(w), port_(serial_, app), versions_(app),
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

    w.SetCommand("mnuReadFromRadio", [this] { mnuReadFromRadio_Click(); });
    w.SetCommand("mnuWriteToRadio", [this] { mnuWriteToRadio_Click(); });
    w.SetCommand("MnuProPassWord", [this] { MnuProPassWord_Click(); });
    w.SetCommand("MnuLocalInfo", [this] { MnuLocalInfo_Click(); });
    w.SetCommand("mnuComm", [this] { mnuComm_Click(); });
    w.SetCommand("MnuVerifyWrite", [this] { MnuVerifyWrite_Click(); });
    w.SetCommand("MnuRestoreBackup", [this] { MnuRestoreBackup_Click(); });
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

void RadioLink::MnuLocalInfo_Click() {
    if (w_.CommandsBlocked() || engine_.busy())
        return;
    if (auto* open = qobject_cast<EditorWindow*>(w_.ChildByName("FrmRadioInfo")))
        open->closeWindow();
    startExchange(&LinkEngine::startInfoRead);
}

void RadioLink::MnuProPassWord_Click() {
    if (engine_.busy())
        return;
    std::string password = engine_.programmingPassword();
    FrmPassWord dlg(app_, password, &w_);
    dlg.exec();
    engine_.setProgrammingPassword(dlg.password());
}

void RadioLink::mnuComm_Click() {
    if (w_.CommandsBlocked() || engine_.busy())
        return;
    FrmSetComm dlg(app_, &w_);
    dlg.exec();
    // A radio found on the chosen port: its exchanges start with the echo setting found there.
    if (dlg.stored() && dlg.foundNoEcho())
        engine_.setNoEcho(*dlg.foundNoEcho());
    w_.ShowMainTxt(); // the port in the status bar
}

void RadioLink::applyVerifySetting(bool on) {
    engine_.setVerifyAfterWrite(on);
    w_.action("MnuVerifyWrite")->setChecked(on);
}

void RadioLink::MnuVerifyWrite_Click() {
    const bool on = w_.action("MnuVerifyWrite")->isChecked();
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
                   &w_);
    if (dlg.exec() != QDialog::Accepted || !dlg.chosen())
        return;
    // The backup replaces the document: a changed one is offered for saving first.
    if (!w_.AskSaveFirst())
        return;
    w_.CloseCurAllWindows();
    if (const int refused = OpenBackup(app_, doc_, w_.radioInfo(), *dlg.chosen())) {
        // The document stays as it was, shown again in the channel window.
        app_.prompter->ask(app_.LangText(kMsgBackupNotOpened) + "\r\n" + app_.LangText(refused),
                           Icon::Critical, Buttons::Ok);
        w_.ShowChildWindow(frmCommChInfo::kName);
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
    progress_ = new FrmProgress(app_, mode, &w_);
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

void RadioLink::keepBackup(LinkMode mode, const RadioImage& image) {
    BackupStore store(BackupsFolder());
    // The raw information area goes with it only when this run has read it from a radio.
    const RadioInfoBlock& block = engine_.infoBlock();
    const bool blockRead = std::any_of(block.begin(), block.end(), [](std::uint8_t b) { return b != 0xFF; });
    std::string error;
    if (KeepExchangeBackup(store, mode == LinkMode::Read ? BackupKind::Read : BackupKind::Write, image, doc_,
                           engine_.radioInfo(), blockRead ? &block : nullptr, &error))
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
    QWidget* parent = progress_ != nullptr ? static_cast<QWidget*>(progress_) : &w_;
    FrmPassWord dlg(app_, password, parent);
    dlg.exec();
    password = dlg.password();
    return true;
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
    if (ok && mode == LinkMode::Read) {
        w_.CloseCurAllWindows();
        readOkTimer_.start();
        w_.UpdateCommandStates();
    } else if (ok && mode == LinkMode::Info) {
        w_.radioInfo() = engine_.radioInfo();
        w_.ShowChildWindow("FrmRadioInfo");
    }
    emit ended(mode, ok);
}

void RadioLink::onReadOK() {
    readOkTimer_.stop();
    // Windows opened since the read ended show the old document: they go before it is replaced.
    w_.CloseCurAllWindows();
    AcceptReadImage(engine_, app_, doc_);
    w_.radioInfo() = engine_.radioInfo();
    w_.ShowReplacedDocument();
}

RadioLink* InstallRadioLink(frmMain& w, AppState& app, Document& doc) {
    return new RadioLink(app, doc, w);
}

} // namespace zt
