// The font-folder dialog's lists, keys and Ok rules, and the About box.
#include <QDesktopServices>
#include <QDir>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "WindowFixture.h"
#include "dialogs/About.h"
#include "dialogs/FolderBrowser.h"
#include "dialogs/Form3.h"

using namespace lettrino;
using namespace lettrino::testing;

// Receives the addresses the About box hands to the desktop.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};

class DialogsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init() {
        QDir::setCurrent(dir_.filePath(QStringLiteral("fonts")));
        w_ = shownWindow();
    }
    void cleanup() {
        w_.reset();
        QDir::setCurrent(start_);
    }

    void fontFolderStartsWithOkDisabled();
    void fontFolderOkFollowsFolderChanges();
    void fontFolderKeys();
    void fontFolderCancelAndReopen();
    void fontFolderOkHandsFolderToWindow();

    void aboutTexts();
    void aboutEnterCloses();
    void aboutOpensAddressesWithoutClosing();

private:
    Form3* openFolderDialog() {
        w_->Command1->setEnabled(true);
        QTest::mouseClick(w_->Command1, Qt::LeftButton);
        auto* d = w_->findChild<Form3*>(QStringLiteral("Form3"));
        if (d) (void)QTest::qWaitForWindowExposed(d);
        return d;
    }
    QString path(const char* sub) const { return QDir::cleanPath(dir_.filePath(QString::fromLatin1(sub))); }

    QTemporaryDir dir_;
    QString start_;
    std::unique_ptr<Form1> w_;
};

void DialogsTest::initTestCase() {
    QVERIFY(dir_.isValid());
    start_ = QDir::currentPath();
    QDir root(dir_.path());
    QVERIFY(root.mkpath(QStringLiteral("fonts/sub/deeper")));
    for (const char* name : {"b.ttf", "A.TTF", "c.otf", "readme.txt", "d.ttf.bak", "sub/e.ttf"}) {
        QFile f(dir_.filePath(QStringLiteral("fonts/") + QString::fromLatin1(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
}

void DialogsTest::fontFolderStartsWithOkDisabled() {
    Form3* d = openFolderDialog();
    QVERIFY(d && d->isVisible());
    QCOMPARE(d->windowTitle(), QStringLiteral("Select Font Directory"));
    QCOMPARE(d->folder(), path("fonts"));
    QCOMPARE(d->files(), (QStringList{"A.TTF", "b.ttf", "c.otf"}));
    QVERIFY(!d->Command1->isEnabled());  // even with files listed
    QVERIFY(!d->Command1->isDefault());
}

void DialogsTest::fontFolderOkFollowsFolderChanges() {
    Form3* d = openFolderDialog();
    QVERIFY(d->browser()->setPath(path("fonts/sub")));
    QVERIFY(d->Command1->isEnabled());
    QCOMPARE(d->files(), QStringList{"e.ttf"});
    QVERIFY(d->browser()->setPath(path("fonts/sub/deeper")));
    QVERIFY(!d->Command1->isEnabled());
    QVERIFY(d->files().isEmpty());
    QVERIFY(d->browser()->setPath(path("fonts")));
    QVERIFY(d->Command1->isEnabled());
}

void DialogsTest::fontFolderKeys() {
    Form3* d = openFolderDialog();
    QListWidget* folders = d->browser()->folderList();
    QVERIFY(d->browser()->setPath(path("fonts/sub/deeper")));
    folders->setFocus();
    QTest::keyClick(folders, Qt::Key_Backspace);
    QCOMPARE(d->folder(), path("fonts/sub"));
    QVERIFY(d->Command1->isEnabled());
    // Enter opens the highlighted entry: here the subfolder "deeper", listed last.
    folders->setCurrentRow(folders->count() - 1);
    QTest::keyClick(folders, Qt::Key_Return);
    QCOMPARE(d->folder(), path("fonts/sub/deeper"));
    QVERIFY(d->isVisible());  // Ok is not the default button
    // At the root Backspace stays where it is.
    QVERIFY(d->browser()->setPath(QStringLiteral("/")));
    QTest::keyClick(folders, Qt::Key_Backspace);
    QCOMPARE(d->folder(), QStringLiteral("/"));
}

void DialogsTest::fontFolderCancelAndReopen() {
    Form3* d = openFolderDialog();
    QVERIFY(d->browser()->setPath(path("fonts/sub")));
    QTest::mouseClick(d->Command2, Qt::LeftButton);
    QVERIFY(!d->isVisible());
    QCOMPARE(w_->FontListIndex, -1);
    Form3* again = openFolderDialog();
    QCOMPARE(again, d);
    QCOMPARE(again->folder(), path("fonts/sub"));
    QVERIFY(again->Command1->isEnabled());
    QTest::keyClick(again, Qt::Key_Escape);
    QVERIFY(!again->isVisible());
}

void DialogsTest::fontFolderOkHandsFolderToWindow() {
    Form3* d = openFolderDialog();
    QVERIFY(d->browser()->setPath(path("fonts/sub")));
    QVERIFY(d->browser()->setPath(path("fonts")));
    // The files are empty, so showing the first one reports it: close that message.
    MessageCatcher messages;
    QTest::mouseClick(d->Command1, Qt::LeftButton);
    QVERIFY(!d->isVisible());
    QCOMPARE(w_->FontList.entries, (QStringList{"A.TTF", "b.ttf", "c.otf"}));
    QCOMPARE(w_->FontList.folder, path("fonts"));
}

void DialogsTest::aboutTexts() {
    QTest::mouseClick(w_->ButtonAbout, Qt::LeftButton);
    auto* about = w_->findChild<About*>(QStringLiteral("About"));
    QVERIFY(about && about->isVisible());
    QCOMPARE(about->windowTitle(), QStringLiteral("About Lettrino v1.03"));
    QCOMPARE(about->Label1->text(), QStringLiteral("Lettrino v1.03"));
    QVERIFY(about->Label1->font().bold());
    QVERIFY(!about->Label2->text().isEmpty());
    QVERIFY(about->Text1->isReadOnly());
    QCOMPARE(about->Text1->focusPolicy(), Qt::NoFocus);
    QVERIFY(about->Text1->toPlainText().contains(QLatin1String("free")));
    QCOMPARE(about->Text2->text(), About::email());
    QVERIFY(about->Text2->font().underline());
    QCOMPARE(about->Text2->focusPolicy(), Qt::NoFocus);
    QCOMPARE(about->OKButton->text(), QStringLiteral("Aceptar"));
    QCOMPARE(about->Command1->text(), QStringLiteral("Home Page"));
    // The e-mail field and the buttons lie over the notice, and above it.
    for (QWidget* over : {static_cast<QWidget*>(about->Text2), static_cast<QWidget*>(about->OKButton),
                          static_cast<QWidget*>(about->Command1)}) {
        QVERIFY(about->Text1->geometry().intersects(over->geometry()));
        QCOMPARE(about->childAt(over->geometry().center()),
                 over->childAt(over->rect().center()) ? over->childAt(over->rect().center()) : over);
    }
}

void DialogsTest::aboutEnterCloses() {
    QTest::mouseClick(w_->ButtonAbout, Qt::LeftButton);
    auto* about = w_->findChild<About*>(QStringLiteral("About"));
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(about->OKButton));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(!about->isVisible());
    // Shown again, it is the same box.
    QTest::mouseClick(w_->ButtonAbout, Qt::LeftButton);
    QCOMPARE(w_->findChildren<About*>().size(), 1);
    QVERIFY(about->isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(about->OKButton));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    QVERIFY(!about->isVisible());
}

void DialogsTest::aboutOpensAddressesWithoutClosing() {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
    QTest::mouseClick(w_->ButtonAbout, Qt::LeftButton);
    auto* about = w_->findChild<About*>(QStringLiteral("About"));
    QTest::mouseClick(about->Command1, Qt::LeftButton);
    QTest::mouseClick(about->Text2, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QCOMPARE(catcher.urls,
             (QList<QUrl>{About::homePage(), QUrl(QStringLiteral("mailto:") + About::email())}));
    QVERIFY(about->isVisible());
}

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
