// SPDX-License-Identifier: GPL-3.0-or-later
// The radio exchanges in the main window: the read, write, password, radio information and port
// commands, verify after write and the restoring of a backup, and the link engine's host (progress
// window, password dialog, backups, hand-over, end of an exchange). It owns the serial port, the
// reply timer and the engine; every exchange of the main window goes through here.
#pragma once

#include "files/backup_store.h"
#include "files/version_table.h"
#include "link/frm_progress.h"
#include "link/link_engine.h"
#include "port_search.h"
#include "serial_link.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <string>

namespace zt {

class MainHost;

// The port of the main window's exchanges: the serial adapter, whose failure to open names the
// port and the reason (the dialout group when the user may not open it) in the engine's message.
class UserLinkPort : public ReasonedLinkPort {
  public:
    using ReasonedLinkPort::ReasonedLinkPort;
};

// The device behind a port name: "ttyUSB0" is /dev/ttyUSB0, a path stays as it is.
std::string PortDevicePath(const std::string& name);
// True when the device exists but this user may not read and write it.
bool PortAccessDenied(const std::string& name);
// Shows the message that the port is refused for lack of permission (naming the dialout group)
// when that is why `name` cannot be opened; returns whether it was shown.
bool ReportPortPermission(const AppState& app, const std::string& name);

class RadioLink : public QObject, public LinkHost {
    Q_OBJECT
  public:
    static constexpr const char* kName = "RadioLink";
    RadioLink(AppState& app, Document& doc, MainHost& w);
    ~RadioLink() override;

    // Menu and toolbar commands.
    void mnuReadFromRadio_Click();
    void mnuWriteToRadio_Click();
    // Write to Several Radios: the log chosen, the document confirmed once, then the batch window.
    void MnuWriteSeveral_Click();
    void MnuProPassWord_Click();
    void MnuLocalInfo_Click();
    void mnuComm_Click();
    // Verify after write on or off, as the menu entry's check mark says (remembered for later runs).
    void MnuVerifyWrite_Click();
    // Keep the radio's memory before writing on or off (remembered for later runs; on at first).
    void MnuKeepBeforeWrite_Click();
    // The backups dialog: the chosen backup's memory is written back into the radio (Restore to
    // Radio), or it replaces the document as a read does (Open as Document).
    void MnuRestoreBackup_Click();

    // Where the backups of this user's reads and writes are kept.
    static std::string BackupsFolder();

    LinkEngine& engine() { return engine_; }
    SerialLinkPort& port() { return serial_; }
    FrmProgress* progressWindow() const { return progress_; }
    QTimer& ReadOKTimer() { return readOkTimer_; }
    QTimer& WaitSaveDataTimer() { return waitSaveDataTimer_; }

    // The password dialog; tests replace it. Returns false when it could not be shown.
    std::function<bool(std::string& password)> passwordDialog;
    // The save dialog of the batch log; tests replace it. Returns "" when dismissed.
    std::function<QString()> batchLogDialog;

    // LinkHost
    void openProgress(LinkMode mode) override;
    void setProgress(int percent) override;
    void closeProgress() override;
    void beginReadBack() override;
    void beginBackupRead() override;
    void beginWriting() override;
    void keepBackup(LinkMode mode, const RadioImage& image) override;
    WriteBackup keepWriteBackup(const RadioImage& image) override;
    WriteBackup keepMemoryBackup(const RadioImage& memory) override;
    std::string newestMemoryBackup(const std::string& serial) override;
    void writeOutcome(bool acknowledged, VerifyStatus verify) override;
    bool askPassword(std::string& password) override;
    void handOver(const std::string& radioVersion) override;
    bool offersWriteAgain() const override { return true; }
    void exchangeEnded(const LinkResult& result) override;

  signals:
    // An exchange ended (after its messages; a read's document arrives with ReadOKTimer).
    void ended(zt::LinkMode mode, bool ok);

  private:
    // Every window stores its half-typed entry and the channel grid hides its editors; false
    // when an exchange or a pending command is under way.
    bool commitEditsForExchange();
    void startExchange(const std::function<bool()>& start);
    void onWaitSaveData();
    void onReadOK();
    void applyVerifySetting(bool on);
    void applyKeepBeforeSetting(bool on);
    // Writes the backup's memory back into the radio.
    void restoreBackup(const BackupEntry& entry);
    // Keeps a backup in BackupsFolder(): its folder, or why none was kept.
    WriteBackup keepBackupNow(BackupKind kind, const RadioImage& image);

    AppState& app_;
    Document& doc_;
    MainHost& w_;
    SerialLinkPort serial_;
    UserLinkPort port_;
    SerialLinkTimer timer_;
    AppVersionTable versions_;
    LinkEngine engine_;
    QPointer<FrmProgress> progress_;
    QTimer readOkTimer_;
    QTimer waitSaveDataTimer_;
    bool backupFailureShown_ = false;    // in this exchange
    std::string writeBackup_;            // the listing of the running write (what it sends)
    std::string restoreName_;            // the backup folder a running restore writes back
    std::function<bool()> restoreAgain_; // starts the last restore again ("write again")
    std::string DocumentName() const;    // the document's file name, without its folder
};

// Gives the main window its radio commands (read, write, password, radio information, port).
RadioLink* InstallRadioLink(MainHost& w, AppState& app, Document& doc);

} // namespace zt
