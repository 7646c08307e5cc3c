// SPDX-License-Identifier: GPL-3.0-or-later
// Writes PNG pictures of the program's windows (channel, settings and radio windows, dialogs and
// the splash) in English and Chinese into the folder given as the argument (default: the current folder).
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise; Chinese needs a CJK font installed.
#include "app/frm_about.h"
#include "app/frm_main.h"
#include "app/frm_model_info.h"
#include "app/frm_splash.h"
#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"
#include "channels/frm_habits.h"
#include "files/app_settings.h"
#include "freqlists/frm_radio.h"
#include "freqlists/frm_test_fre.h"
#include "lang/frm_set_language.h"
#include "link/frm_backups.h"
#include "link/frm_pass_word.h"
#include "link/frm_progress.h"
#include "link/frm_radio_info.h"
#include "link/frm_set_comm.h"
#include "link/load_frm_link.h"
#include "model/channel_table.h"
#include "model/new_document.h"
#include "settings/frm_alert.h"
#include "settings/frm_dtmf.h"
#include "settings/frm_emb_msg.h"
#include "settings/frm_group_name.h"
#include "settings/frm_key.h"
#include "settings/frm_opt_features.h"
#include "settings/frm_reset_mode.h"
#include "settings/frm_scan.h"
#include "settings/frm_tone_tips.h"

#include <QApplication>
#include <QDir>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QTableWidget>

#include <cstdio>
#include <cstdlib>

using namespace zt;

namespace {

bool Shoot(QWidget* w, const QString& path) {
    QWidget* frame = w->isWindow() || w->parentWidget() == nullptr ? w : w->parentWidget();
    const bool ok = frame->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

bool ShootLanguage(const QString& dir, const char* file, const QString& tag) {
    AppState app;
    RecordingPrompter prompter;
    app.prompter = &prompter;
    app.ProgramDir = ZT_PROGRAM_DIR;
    app.LanguageCode = tag == "zh" ? 2 : 1;
    if (!app.lang.load(std::string(ZT_PROGRAM_DIR "/language/") + file)) {
        std::printf("cannot read %s\n", file);
        return false;
    }
    Document doc;
    RadioInfoRecord info;
    SetNewDocumentValues(app, doc, info, CalendarDate{2025, 1, 1});
    for (int n = 321; n <= 330; ++n) {
        char f[16];
        std::snprintf(f, sizeof f, "%.5f", 27.0 + (n - 321) * 0.01);
        AppendChannel(app, doc.work, n, f);
        auto& r = doc.work.channels[static_cast<std::size_t>(doc.work.count() - 1)];
        r.DecodeTone = static_cast<i16>((n - 321) * 17 % 265);
        r.EncodeTone = static_cast<i16>((n - 321) * 29 % 265);
        r.TxOffsetDir = static_cast<std::uint8_t>(n % 3);
        r.TxOffset = "0010000";
    }
    doc.work.settings.Options.Features.ChannelGroup = 8;
    doc.work.settings.GroupNames[8] = "ABC";

    frmMain w(app, doc);
    w.resize(1400, 900);
    w.show();
    w.LoadBKPic();
    auto* grid = static_cast<frmCommChInfo*>(w.ShowChildWindow(frmCommChInfo::kName));
    grid->setGridCell(2, 4); // an open tone list over its cell
    QApplication::processEvents();
    bool ok = Shoot(grid, dir + "/grid_" + tag + ".png");
    grid->setGridCell(3, 1);
    auto* edit = static_cast<FrmCHInfoEdit*>(w.ShowChildWindow(FrmCHInfoEdit::kName));
    QApplication::processEvents();
    ok = Shoot(edit, dir + "/edit_" + tag + ".png") && ok;
    ok = w.grab().save(dir + "/main_" + tag + ".png") && ok;
    // Every other editor window, each alone in the main window as a user opens it.
    for (const char* name : {FrmOptFeatures::kName, FrmDTMF::kName, FrmToneTips::kName, FrmResetMode::kName,
                             FrmEmbMsg::kName, FrmGroupName::kName, FrmScan::kName, FrmAlert::kName,
                             FrmKey::kName, FrmRadio::kName, FrmTestFre::kName, FrmRadioInfo::kName}) {
        w.CloseCurAllWindows();
        QWidget* child = w.ShowChildWindow(name);
        QApplication::processEvents();
        ok = child != nullptr && Shoot(child, dir + "/" + QString(name).toLower() + "_" + tag + ".png") && ok;
    }
    w.CloseCurAllWindows();
    FrmHabits habits(app, &w);
    habits.show();
    QApplication::processEvents();
    ok = Shoot(&habits, dir + "/habits_" + tag + ".png") && ok;
    habits.close();
    // The dialogs and the splash of the application shell.
    frmAbout about(app, &w);
    FrmSetLanguage language(app, &w);
    FrmModelInfo model(app, &w);
    FrmBackups backups(app,
                       {{"b3", BackupKind::Write, "2025-01-02", "09:15:40", "SN-4711", 40, "ZT-450E",
                         "club.dat", BackupCheck::Verified, "0595", "001A", 0},
                        {"b2", BackupKind::BeforeWrite, "2025-01-02", "09:15:22", "SN-4711", 38, "ZT-450E",
                         "", BackupCheck::None, "0595", "001A", 0},
                        {"b1", BackupKind::Read, "2025-01-01", "18:02:11", "SN-4711", 38, "ZT-450E", "",
                         BackupCheck::None, "0595", "001A", 0}},
                       "/home/user/.local/share/ztprog/ztprog/backups", &w);
    const FrmSetComm::PortLister ports = [] {
        return QList<SerialPortEntry>{{"ttyUSB0", "USB-Serial Controller", true}, {"ttyS0", "", false}};
    };
    FrmSetComm port(app, &w, ports);
    FrmPassWord password(app, "", &w);
    FrmProgress progress(app, LinkMode::Read, &w);
    progress.SetProgressValue(42);
    LoadFrmLink firstRun(app, &w, ports);
    frmSplash* splash = new frmSplash(app, {});
    splash->Timer1().stop();
    for (auto [widget, name] : {std::pair<QWidget*, const char*>{&about, "about"},
                                {&language, "language"},
                                {&model, "model"},
                                {&backups, "backups"},
                                {&port, "port"},
                                {&password, "password"},
                                {&progress, "progress"},
                                {&firstRun, "firstrun"},
                                {splash, "splash"}}) {
        widget->show();
        QApplication::processEvents();
        ok = Shoot(widget, dir + "/" + name + "_" + tag + ".png") && ok;
        widget->hide();
    }
    delete splash;
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(dir);
    const bool ok = ShootLanguage(dir, "english.ini", "en") && ShootLanguage(dir, "chinese.ini", "zh");
    return ok ? 0 : 1;
}
