// The child windows the main window can open, by name: the one place where a window is made
// known to the menus, the toolbar and the tree.
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

void frmMain::registerWindows() {
    RegisterWindow(frmCommChInfo::kName, [this] { return new frmCommChInfo(channels_); });
    RegisterWindow(FrmCHInfoEdit::kName, [this] { return new FrmCHInfoEdit(channels_); });
    RegisterWindow(FrmDTMF::kName, [this] { return new FrmDTMF(app_, doc_, this); });
    RegisterWindow(FrmOptFeatures::kName, [this] { return new FrmOptFeatures(app_, doc_, this); });
    RegisterWindow(FrmToneTips::kName, [this] { return new FrmToneTips(app_, doc_, this); });
    RegisterWindow(FrmResetMode::kName, [this] { return new FrmResetMode(app_, doc_, this); });
    RegisterWindow(FrmEmbMsg::kName, [this] { return new FrmEmbMsg(app_, doc_, this); });
    RegisterWindow(FrmGroupName::kName, [this] { return new FrmGroupName(app_, doc_, this); });
    RegisterWindow(FrmScan::kName, [this] { return new FrmScan(app_, doc_, this); });
    RegisterWindow(FrmAlert::kName, [this] { return new FrmAlert(app_, doc_, this); });
    RegisterWindow(FrmKey::kName, [this] { return new FrmKey(app_, doc_, this); });
    RegisterWindow(FrmRadio::kName, [this] { return new FrmRadio(app_, doc_, this); });
    RegisterWindow(FrmTestFre::kName, [this] { return new FrmTestFre(app_, doc_, this); });
    RegisterWindow(FrmRadioInfo::kName, [this] { return new FrmRadioInfo(app_, doc_, *info_, this); });
    InstallRadioLink(*this, app_, doc_);
}

} // namespace zt
