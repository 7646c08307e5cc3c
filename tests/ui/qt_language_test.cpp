// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes and Qt's own buttons in the chosen language: the title is the program's name in
// the language of the moment, and the standard buttons follow Qt's translations, which follow
// the language both ways.
#include "app/qt_prompter.h"
#include "app/qt_translations.h"
#include "files/app_settings.h"
#include "link/frm_set_comm.h"
#include "ui_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <utility>

using namespace zt;

class QtLanguageTest : public QObject {
    Q_OBJECT

    struct Seen {
        QString title;
        QStringList buttons;
    };

    // Asks through the prompter and notes what the box showed, then answers with its first button.
    static Seen ask(QtPrompter& prompter, Buttons buttons) {
        Seen seen;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            poll.stop();
            seen.title = box->windowTitle();
            for (QAbstractButton* b : box->buttons())
                seen.buttons << b->text();
            box->buttons().first()->click();
        });
        poll.start();
        prompter.ask("text", Icon::Question, buttons);
        return seen;
    }

  private slots:
    void boxesFollowTheLanguage() {
        QTemporaryDir dir;
        AppState app;
        zt::test::ScriptedPrompter unused;
        zt::test::PrepareTestApp(app, dir, unused);
        QtPrompter prompter;
        prompter.setDefaultTitle([&app] { return app.LangText(12000); });
        app.prompter = &prompter;

        const Seen english = ask(prompter, Buttons::OkCancel);
        QCOMPARE(english.title, QString::fromStdString(app.LangText(12000)));
        QCOMPARE(english.buttons.size(), 2);
        QVERIFY(english.buttons.join(' ').contains("Cancel"));

        SelectLanguage(app, 2);
        LoadLanguageTexts(app);
        QVERIFY(ApplyQtTranslations(2));
        const std::pair<Buttons, int> kinds[] = {{Buttons::Ok, 1},
                                                 {Buttons::OkCancel, 2},
                                                 {Buttons::YesNo, 2},
                                                 {Buttons::YesNoCancel, 3},
                                                 {Buttons::RetryCancel, 2}};
        for (const auto& [b, count] : kinds) {
            const Seen chinese = ask(prompter, b);
            QCOMPARE(chinese.buttons.size(), count);
            QCOMPARE(chinese.title, QString::fromStdString(app.LangText(12000)));
            QVERIFY(chinese.title != english.title);
            for (const QString& text : chinese.buttons)
                QVERIFY2(!text.contains(QRegularExpression("[A-Za-z]{2}")), qPrintable(text));
        }
        // A dialog with its own button box: the language file's texts.
        FrmSetComm dlg(app, nullptr, [] { return QList<SerialPortEntry>{}; });
        QCOMPARE(dlg.findChildren<QPushButton*>().size(), 3); // OK, Cancel, Find Radio
        for (const QPushButton* b : dlg.findChildren<QPushButton*>())
            QVERIFY2(!b->text().contains(QRegularExpression("[A-Za-z]{2}")), qPrintable(b->text()));

        // Back to English: Qt's buttons too.
        QVERIFY(ApplyQtTranslations(1));
        const Seen again = ask(prompter, Buttons::OkCancel);
        QVERIFY(again.buttons.join(' ').contains("Cancel"));
    }
};

QTEST_MAIN(QtLanguageTest)
#include "qt_language_test.moc"
