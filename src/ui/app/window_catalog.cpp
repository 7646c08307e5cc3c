// SPDX-License-Identifier: GPL-3.0-or-later
// The child windows the main window can open: the one place where a window is made. Its id
// (common/command_ids.h) is what the menus and the tree name; the build checks that each id is
// the name the window class gives itself, and the start-up check (frmMain::RegistryProblems)
// that every id has its window here.
#include "app/frm_main.h"
#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"
#include "freqlists/frm_radio.h"
#include "freqlists/frm_test_fre.h"
#include "link/frm_radio_info.h"
#include "link/radio_link.h"
#include "settings/frm_alert.h"
#include "settings/frm_dtmf.h"
#include "settings/frm_emb_msg.h"
#include "settings/frm_group_name.h"
#include "settings/frm_key.h"
#include "settings/frm_opt_features.h"
#include "settings/frm_reset_mode.h"
#include "settings/frm_scan.h"
#include "settings/frm_tone_tips.h"

namespace zt {

// Each window class's own name is the name of its id.
static_assert(NamesWindow(frmCommChInfo::kName, Win::frmCommChInfo));
static_assert(NamesWindow(FrmCHInfoEdit::kName, Win::FrmCHInfoEdit));
static_assert(NamesWindow(FrmDTMF::kName, Win::FrmDTMF));
static_assert(NamesWindow(FrmOptFeatures::kName, Win::FrmOptFeatures));
static_assert(NamesWindow(FrmToneTips::kName, Win::FrmToneTips));
static_assert(NamesWindow(FrmResetMode::kName, Win::FrmResetMode));
static_assert(NamesWindow(FrmEmbMsg::kName, Win::FrmEmbMsg));
static_assert(NamesWindow(FrmGroupName::kName, Win::FrmGroupName));
static_assert(NamesWindow(FrmScan::kName, Win::FrmScan));
static_assert(NamesWindow(FrmAlert::kName, Win::FrmAlert));
static_assert(NamesWindow(FrmKey::kName, Win::FrmKey));
static_assert(NamesWindow(FrmRadio::kName, Win::FrmRadio));
static_assert(NamesWindow(FrmTestFre::kName, Win::FrmTestFre));
static_assert(NamesWindow(FrmRadioInfo::kName, Win::FrmRadioInfo));

void frmMain::registerWindows() {
    RegisterWindow(Win::frmCommChInfo, [this] { return new frmCommChInfo(channels_); });
    RegisterWindow(Win::FrmCHInfoEdit, [this] { return new FrmCHInfoEdit(channels_); });
    RegisterWindow(Win::FrmDTMF, [this] { return new FrmDTMF(app_, doc_, this); });
    RegisterWindow(Win::FrmOptFeatures, [this] { return new FrmOptFeatures(app_, doc_, this); });
    RegisterWindow(Win::FrmToneTips, [this] { return new FrmToneTips(app_, doc_, this); });
    RegisterWindow(Win::FrmResetMode, [this] { return new FrmResetMode(app_, doc_, this); });
    RegisterWindow(Win::FrmEmbMsg, [this] { return new FrmEmbMsg(app_, doc_, this); });
    RegisterWindow(Win::FrmGroupName, [this] { return new FrmGroupName(app_, doc_, this); });
    RegisterWindow(Win::FrmScan, [this] { return new FrmScan(app_, doc_, this); });
    RegisterWindow(Win::FrmAlert, [this] { return new FrmAlert(app_, doc_, this); });
    RegisterWindow(Win::FrmKey, [this] { return new FrmKey(app_, doc_, this); });
    RegisterWindow(Win::FrmRadio, [this] { return new FrmRadio(app_, doc_, this); });
    RegisterWindow(Win::FrmTestFre, [this] { return new FrmTestFre(app_, doc_, this); });
    RegisterWindow(Win::FrmRadioInfo, [this] { return new FrmRadioInfo(app_, doc_, *info_, this); });
    InstallRadioLink(*this, app_, doc_);
}

} // namespace zt
