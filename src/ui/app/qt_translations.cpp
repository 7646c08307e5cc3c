// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>
#include <vector>

namespace zt {

namespace {

std::vector<std::unique_ptr<QTranslator>>& Installed() {
    static std::vector<std::unique_ptr<QTranslator>> installed;
    return installed;
}

} // namespace

bool ApplyQtTranslations(int languageCode) {
    auto& installed = Installed();
    for (auto& t : installed)
        QCoreApplication::removeTranslator(t.get());
    installed.clear();
    if (languageCode != 2)
        return true;
    bool all = true;
    // qtbase: standard buttons, message boxes, file and print dialogs; qtserialport: the serial
    // port's error texts, which the program shows as the system's reason.
    for (const char* catalogue : {"qtbase_zh_CN", "qtserialport_zh_CN"}) {
        auto t = std::make_unique<QTranslator>();
        if (t->load(catalogue, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(t.get());
            installed.push_back(std::move(t));
        } else {
            all = false;
        }
    }
    return all;
}

} // namespace zt
