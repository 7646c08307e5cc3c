// SPDX-License-Identifier: GPL-3.0-or-later
// The user guide as a user opens it: F1 or Help > User Guide shows the guide of the chosen language
// from the program folder with its pictures, one window however often it is asked for, and a
// missing or unreadable guide file is reported by its path and reason instead of an empty window.
#include "app/frm_main.h"
#include "app/frm_user_guide.h"
#include "files/app_settings.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <memory>

using namespace zt;
using zt::test::PrepareProgramState;

class UserGuideTest : public QObject, zt::test::ProgramUnderTest {
    Q_OBJECT

    std::vector<FrmUserGuide*> guides() const {
        const QList<FrmUserGuide*> found = w->findChildren<FrmUserGuide*>();
        return {found.begin(), found.end()};
    }
    static QString firstHeading(const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readLine()).trimmed().remove(QRegularExpression("^#+\\s*"));
    }

  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QApplication::setOrganizationName("ztprog-test");
        QApplication::setApplicationName("ztprog-test");
    }

    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        app = std::make_unique<AppState>();
        doc = std::make_unique<Document>();
        info = std::make_unique<RadioInfoRecord>();
        PrepareProgramState(*dir, *app, *doc, *info, prompter);
        prompter.asked.clear();
        w = std::make_unique<frmMain>(*app, *doc, *info);
        w->Form_Load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup() { w.reset(); }

    // The guides the program ships: both languages show the same pictures of the windows, each
    // drawn by the build, and the browser shows the text with its pictures found beside it.
    void shippedGuidesShowTheirPictures() {
        QStringList windowsOf[2];
        for (int language : {1, 2}) {
            const QString suffix = language == 2 ? "_zh.png" : "_en.png";
            app->LanguageCode = static_cast<std::int16_t>(language);
            const QString path = UserGuidePath(*app);
            QCOMPARE(path,
                     QString(ZT_PROGRAM_DIR "/guide/") + (language == 2 ? "guide_zh.md" : "guide_en.md"));
            QFile f(path);
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
            const QString text = QString::fromUtf8(f.readAll());
            QStringList pictures;
            for (const auto& m : QRegularExpression(R"(!\[[^\]]*\]\(([^)]+)\))").globalMatch(text))
                pictures << m.captured(1);
            QVERIFY(pictures.size() >= 8);
            for (const QString& p : pictures) {
                QVERIFY2(p.startsWith("pictures/") && p.endsWith(suffix), qPrintable(p));
                windowsOf[language - 1] << p.chopped(suffix.size());
            }

            FrmUserGuide* guide = ShowUserGuide(*app, w.get());
            QVERIFY(guide != nullptr);
            QVERIFY(guide->Browser()->toPlainText().startsWith(firstHeading(path)));
            // Every contents link leads to its heading; wide pictures are scaled to the window.
            QStringList targets;
            for (const auto& m : QRegularExpression(R"(\]\(#([^)]+)\))").globalMatch(text))
                targets << m.captured(1);
            QVERIFY(targets.size() >= 9);
            QTextBrowser* browser = guide->Browser();
            auto checkShown = [&] {
                QStringList anchors;
                for (QTextBlock b = browser->document()->begin(); b.isValid(); b = b.next())
                    for (auto it = b.begin(); !it.atEnd(); ++it) {
                        const QTextCharFormat f = it.fragment().charFormat();
                        anchors << f.anchorNames();
                        if (!f.isImageFormat())
                            continue;
                        const QTextImageFormat image = f.toImageFormat();
                        const double natural = QImage(QFileInfo(path).dir().filePath(image.name())).width();
                        QVERIFY2((image.width() > 0 ? image.width() : natural) <= 760,
                                 qPrintable(image.name()));
                    }
                for (const QString& t : targets)
                    QVERIFY2(anchors.contains(t), qPrintable(t));
            };
            checkShown();
            // A contents link loads the guide again and scrolls to its heading, prepared as before.
            browser->resize(700, 500);
            QCOMPARE(browser->verticalScrollBar()->value(), 0);
            browser->setSource(browser->source().resolved(QUrl("#" + targets.last())));
            QVERIFY(browser->verticalScrollBar()->value() > 0);
            checkShown();
            for (const QString& p : pictures) {
                const QVariant v = guide->Browser()->loadResource(QTextDocument::ImageResource, QUrl(p));
                const QImage image =
                    v.canConvert<QImage>() ? v.value<QImage>() : QImage::fromData(v.toByteArray());
                QVERIFY2(image.width() > 100 && image.height() > 50, qPrintable(p));
            }
        }
        QCOMPARE(windowsOf[1], windowsOf[0]);
        QVERIFY(prompter.asked.empty());
    }

    // F1 and the menu entry open one guide window; the language chosen since then is shown when
    // it is asked for again. The hidden help topic entry stays hidden.
    void f1OpensTheGuideOfTheChosenLanguage() {
        QAction* entry = w->action("mnuHelpGuide");
        QVERIFY(entry != nullptr && entry->isVisible() && entry->isEnabled());
        QVERIFY(w->menu("mnuHelp")->actions().contains(entry));
        QCOMPARE(entry->text(), QString("&User Guide"));
        QVERIFY(!w->action("mnuHelpTopic")->isVisible());

        QTest::keyClick(w.get(), Qt::Key_F1);
        QCOMPARE(guides().size(), std::size_t(1));
        FrmUserGuide* guide = guides().front();
        QTRY_VERIFY(guide->isVisible());
        QCOMPARE(guide->windowTitle(), QString("User Guide"));
        QCOMPARE(guide->LoadedPath(), QString(ZT_PROGRAM_DIR "/guide/guide_en.md"));
        QVERIFY(guide->Browser()->toPlainText().startsWith("ztprog User Guide"));

        SelectLanguage(*app, 2);
        w->Change_Language();
        QCOMPARE(w->action("mnuHelpGuide")->text(), QString::fromUtf8("用户指南(&U)"));
        // Qt adds no English program name to the window titles after the switch.
        QVERIFY(!QApplication::applicationDisplayName().contains("Programming"));
        w->action("mnuHelpGuide")->trigger();
        QCOMPARE(guides().size(), std::size_t(1));
        QCOMPARE(guides().front(), guide);
        QCOMPARE(guide->LoadedPath(), QString(ZT_PROGRAM_DIR "/guide/guide_zh.md"));
        QCOMPARE(guide->windowTitle(), QString::fromUtf8("用户指南"));
        QCOMPARE(guide->cmdClose()->text(), QString::fromUtf8("关闭"));
        QVERIFY(guide->Browser()->toPlainText().startsWith(QString::fromUtf8("ztprog 用户指南")));

        guide->cmdClose()->click();
        QTRY_COMPARE(guides().size(), std::size_t(0));
        // Back in the main window (a window manager activates it as the guide closes), F1 opens it anew.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w.get(), Qt::Key_F1);
        QCOMPARE(guides().size(), std::size_t(1));
        QVERIFY(prompter.asked.empty());
    }

    // A program folder without the guide (or with a folder in its place): a warning naming the
    // file and the reason, and no window.
    void unreadableGuideIsReportedByPath_data() {
        QTest::addColumn<bool>("folderInPlace");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << false << "No such file or directory";
        QTest::newRow("folder in its place") << true << "Is a directory";
    }
    void unreadableGuideIsReportedByPath() {
        QFETCH(bool, folderInPlace);
        QFETCH(QString, reason);
        QTemporaryDir program;
        app->ProgramDir = program.path().toStdString();
        const QString path = program.path() + "/guide/guide_en.md";
        if (folderInPlace)
            QVERIFY(QDir().mkpath(path));
        QTest::keyClick(w.get(), Qt::Key_F1);
        QVERIFY(guides().empty());
        QCOMPARE(prompter.asked.size(), std::size_t(1));
        const QString said = QString::fromStdString(prompter.asked.front());
        QVERIFY2(said.startsWith("The user guide cannot be opened:"), qPrintable(said));
        QVERIFY2(said.contains(path), qPrintable(said));
        QVERIFY2(said.contains(reason), qPrintable(said));
    }
};

QTEST_MAIN(UserGuideTest)
#include "user_guide_test.moc"
