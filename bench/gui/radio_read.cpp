// SPDX-License-Identifier: GPL-3.0-or-later
// The time of a full read through the main window's read command (confirmation answered, the
// progress window shown and updated) against a radio on the port given, from the command to the
// end of the exchange. bench/link_bench.sh compares it with ztprog-cli on the same radio.
// Usage: bench_gui_radio_read PORT [RUNS]
#include "app/frm_main.h"
#include "files/app_settings.h"
#include "files/data_files.h"
#include "files/version_table.h"
#include "link/radio_link.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

class OkPrompter : public zt::Prompter {
  public:
    zt::Answer ask(const std::string& text, zt::Icon, zt::Buttons buttons, const std::string&) override {
        if (std::getenv("ZT_BENCH_VERBOSE"))
            std::fprintf(stderr, "%s\n", text.c_str());
        return buttons == zt::Buttons::YesNo || buttons == zt::Buttons::YesNoCancel ? zt::Answer::No
                                                                                    : zt::Answer::Ok;
    }
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PORT [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 1;
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    zt::AppState app;
    app.ProgramDir = ZT_PROGRAM_DIR;
    app.ParentDir = dir.path().toStdString();
    app.versions = zt::LoadVersionTable(std::string(ZT_PROGRAM_DIR) + "/../Version.ini");
    OkPrompter prompter;
    app.prompter = &prompter;
    zt::SelectLanguage(app, 1);
    app.ComPortName = argv[1];
    zt::Document doc;
    zt::RadioInfoRecord info;
    zt::InitDocument(app, doc, info);
    zt::frmMain w(app, doc, info);
    w.Form_Load();
    w.show();
    auto* link = w.findChild<zt::RadioLink*>(zt::RadioLink::kName);
    for (int i = 0; i < runs; ++i) {
        QEventLoop loop;
        bool ok = false;
        auto c = QObject::connect(link, &zt::RadioLink::ended, &loop, [&](zt::LinkMode, bool r) {
            ok = r;
            loop.quit();
        });
        QElapsedTimer t;
        t.start();
        w.action("mnuReadFromRadio")->trigger();
        loop.exec();
        const double s = t.nsecsElapsed() / 1e9;
        QObject::disconnect(c);
        if (!ok) {
            std::fprintf(stderr, "the read failed\n");
            return 1;
        }
        std::printf("%.6f\n", s);
        std::fflush(stdout);
        // The decoding timer runs before the next read may start.
        while (link->ReadOKTimer().isActive())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return 0;
}
