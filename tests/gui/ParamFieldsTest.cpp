// The parameter fields: the character ring, the two thresholds kept in order, the speed-up
// factor, what typed text is refused, and the keys. Run under a decimal-comma locale, so the
// texts read as the design shows them ("80,0").
#include <QLineEdit>
#include <QtTest>

#include <array>

#include "WindowFixture.h"
#include "app/ResultsList.h"
#include "app/StatusBar.h"
#include "app/UpDown.h"

using namespace lettrino;
using namespace lettrino::testing;

class ParamFieldsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void init() {
        w_ = shownWindow();
        enableParameterFields(*w_);
        w_->ButtonAbout->setFocus();
    }
    void cleanup() { w_.reset(); }

    void upDownKeys_data();
    void upDownKeys();
    void raisingAddRaisesBold();
    void loweringAddLowersOnlyBoldMinimum();
    void typedThreshold_data();
    void typedThreshold();
    void sameValueKeepsTypedText();
    void unreadableKeyDoesNothing();
    void boldRefusesBelowAdd();
    void spinnerPressStartsFromShownValue();

    void typingCharacterSetsCode();
    void typingCodeSetsCharacter();
    void refusedCode_data();
    void refusedCode();
    void charKeysStayInRange();
    void spinnerArrowStepsCharacter();
    void characterOutsideCodePageIsRefused();

    void speedUp_data();
    void speedUp();
    void speedUpArrowTakesTheFocus();

    void selectionOnFocus_data();
    void selectionOnFocus();

private:
    void key(QLineEdit* f, Qt::Key k, int times = 1) {
        f->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < times; ++i) QTest::keyClick(f, k);
    }
    std::unique_ptr<Form1> w_;
};

void ParamFieldsTest::upDownKeys_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");  // empty: the field's start text
    QTest::addColumn<int>("pressed");
    QTest::addColumn<int>("times");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("shown");  // all of it selected
    auto row = [](const char* name, const char* field, const char* typed, Qt::Key key, int times, int value,
                  const char* shown) {
        QTest::newRow(name) << field << typed << int(key) << times << value << shown;
    };
    row("add: five Ups", "AddThres", "", Qt::Key_Up, 5, 825, "82,5");
    row("add: Up stops at 100", "AddThres", "99,8", Qt::Key_Up, 2, 1000, "100,0");
    row("add: Down stops at 0", "AddThres", "0,3", Qt::Key_Down, 1, 0, "0,0");
    row("bold: Up stops at 100", "BoldThres", "", Qt::Key_Up, 20, 1000, "100,0");
    row("speed-up: Down stops at 1", "SpeedUp", "", Qt::Key_Down, 1, 1, "1");
    row("speed-up: Up stops at 10", "SpeedUp", "9", Qt::Key_Up, 2, 10, "10");
}

void ParamFieldsTest::upDownKeys() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(int, pressed);
    QFETCH(int, times);
    QFETCH(int, value);
    QFETCH(QString, shown);
    auto* f = child<QLineEdit>(w_.get(), field.toLatin1().constData());
    if (!typed.isEmpty()) typeInto(f, typed);
    key(f, Qt::Key(pressed), times);
    UpDown* spinner = field == QLatin1String("AddThres")    ? w_->UpDown2
                      : field == QLatin1String("BoldThres") ? w_->UpDown3
                                                            : w_->UpDown4;
    QCOMPARE(spinner->value(), value);
    QCOMPARE(f->text(), shown);
    QCOMPARE(f->selectedText(), shown);
    // The bold threshold's minimum follows the add threshold, its value never below it.
    QCOMPARE(w_->UpDown3->minimum(), w_->UpDown2->value());
    if (field == QLatin1String("AddThres")) QCOMPARE(w_->UpDown3->value(), std::max(900, value));
}

void ParamFieldsTest::raisingAddRaisesBold() {
    typeInto(w_->AddThres, QStringLiteral("92"));
    leave(w_->AddThres, w_->ButtonAbout);
    QCOMPARE(w_->UpDown2->value(), 920);
    QCOMPARE(w_->AddThres->text(), QStringLiteral("92,0"));
    QCOMPARE(w_->UpDown3->value(), 920);
    QCOMPARE(w_->BoldThres->text(), QStringLiteral("92,0"));
    key(w_->BoldThres, Qt::Key_Down);
    QCOMPARE(w_->UpDown3->value(), 920);
    QCOMPARE(w_->BoldThres->text(), QStringLiteral("92,0"));
    // The results panel is rewritten after the add threshold is applied.
    QCOMPARE(w_->StatusBar1->panelText(3), QStringLiteral("Fonts Matched: 0"));
}

void ParamFieldsTest::loweringAddLowersOnlyBoldMinimum() {
    typeInto(w_->AddThres, QStringLiteral("70"));
    leave(w_->AddThres, w_->ButtonAbout);
    QCOMPARE(w_->UpDown3->value(), 900);
    QCOMPARE(w_->UpDown3->minimum(), 700);
    typeInto(w_->BoldThres, QStringLiteral("70"));
    leave(w_->BoldThres, w_->ButtonAbout);
    QCOMPARE(w_->UpDown3->value(), 700);
    QCOMPARE(w_->BoldThres->text(), QStringLiteral("70,0"));
}

void ParamFieldsTest::typedThreshold_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("value");  // -1: refused, the focus stays
    QTest::addColumn<QString>("shown");
    QTest::newRow("whole") << "85" << 850 << "85,0";
    QTest::newRow("tie to even down") << "80,25" << 802 << "80,2";
    QTest::newRow("float below the tie") << "80,35" << 803 << "80,3";
    QTest::newRow("tie to even up") << "80,75" << 808 << "80,8";
    QTest::newRow("maximum") << "100" << 1000 << "100,0";
    QTest::newRow("above maximum") << "998,0" << -1 << "998,0";
    QTest::newRow("negative") << "-5" << -1 << "-5";
    QTest::newRow("not a number") << "abc" << -1 << "abc";
    QTest::newRow("empty") << "" << -1 << "";
    QTest::newRow("wrong separator") << "80.5" << -1 << "80.5";
}

void ParamFieldsTest::typedThreshold() {
    QFETCH(QString, typed);
    QFETCH(int, value);
    QFETCH(QString, shown);
    typeInto(w_->AddThres, typed);
    w_->ButtonAbout->setFocus(Qt::TabFocusReason);
    QCOMPARE(w_->AddThres->text(), shown);
    if (value < 0) {
        QVERIFY(w_->AddThres->hasFocus());
        QCOMPARE(w_->UpDown2->value(), 800);
        QCOMPARE(w_->UpDown3->minimum(), 800);
    } else {
        QVERIFY(w_->ButtonAbout->hasFocus());
        QCOMPARE(w_->UpDown2->value(), value);
        QCOMPARE(w_->UpDown3->minimum(), value);
    }
}

void ParamFieldsTest::sameValueKeepsTypedText() {
    typeInto(w_->AddThres, QStringLiteral("80"));
    leave(w_->AddThres, w_->ButtonAbout);
    QCOMPARE(w_->UpDown2->value(), 800);
    QCOMPARE(w_->AddThres->text(), QStringLiteral("80"));
}

void ParamFieldsTest::unreadableKeyDoesNothing() {
    typeInto(w_->AddThres, QStringLiteral("x"));
    QTest::keyClick(w_->AddThres, Qt::Key_Up);
    QCOMPARE(w_->UpDown2->value(), 800);
    QCOMPARE(w_->AddThres->text(), QStringLiteral("x"));
    typeInto(w_->BoldThres, QStringLiteral("x"));
    QTest::keyClick(w_->BoldThres, Qt::Key_Down);
    QCOMPARE(w_->UpDown3->value(), 900);
}

void ParamFieldsTest::boldRefusesBelowAdd() {
    typeInto(w_->BoldThres, QStringLiteral("75"));
    w_->ButtonAbout->setFocus(Qt::TabFocusReason);
    QVERIFY(w_->BoldThres->hasFocus());
    QCOMPARE(w_->UpDown3->value(), 900);
    typeInto(w_->BoldThres, QStringLiteral("95,5"));
    leave(w_->BoldThres, w_->ButtonAbout);
    QCOMPARE(w_->UpDown3->value(), 955);
}

void ParamFieldsTest::spinnerPressStartsFromShownValue() {
    // The field shows 85 (not yet taken); the up arrow steps from it.
    typeInto(w_->AddThres, QStringLiteral("85"));
    auto* up = w_->UpDown2->findChild<QWidget*>(QStringLiteral("up"));
    QVERIFY(up);
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(w_->UpDown2->value(), 855);
    QCOMPARE(w_->AddThres->text(), QStringLiteral("85,5"));
    // Releasing on the bold spinner takes the focus to its field.
    auto* down = w_->UpDown3->findChild<QWidget*>(QStringLiteral("down"));
    QTest::mouseClick(down, Qt::LeftButton);
    QCOMPARE(w_->UpDown3->value(), 895);
    QVERIFY(w_->BoldThres->hasFocus());
    QCOMPARE(w_->BoldThres->selectedText(), QStringLiteral("89,5"));
}

void ParamFieldsTest::typingCharacterSetsCode() {
    w_->CharText->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(w_->CharText, QStringLiteral("B"));
    QCOMPARE(w_->CharText->text(), QStringLiteral("B"));
    QCOMPARE(w_->CharIndex->text(), QStringLiteral("66"));
    QCOMPARE(w_->UpDown1->value(), 66);
}

void ParamFieldsTest::typingCodeSetsCharacter() {
    typeInto(w_->CharIndex, QStringLiteral("233"));
    QCOMPARE(w_->CharText->text(), QString(QChar(0xE9)));
    QCOMPARE(w_->UpDown1->value(), 233);
    typeInto(w_->CharIndex, QStringLiteral("128"));  // the euro sign in the code page
    QCOMPARE(w_->CharText->text(), QString(QChar(0x20AC)));
    leave(w_->CharIndex, w_->ButtonAbout);
}

void ParamFieldsTest::refusedCode_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("character");  // what CharText keeps
    QTest::newRow("300 keeps code 30's character") << "300" << QString(QChar(30));
    for (const char* typed : {"", "x", "-1"})  // empty, not a number, negative: never a code
        QTest::newRow(typed) << typed << "A";
}

void ParamFieldsTest::refusedCode() {
    QFETCH(QString, typed);
    QFETCH(QString, character);
    typeInto(w_->CharIndex, typed);
    QCOMPARE(w_->CharText->text(), character);
    QVERIFY(w_->CharIndex->hasFocus());
    w_->ButtonAbout->setFocus(Qt::TabFocusReason);
    QVERIFY(w_->CharIndex->hasFocus());
    QCOMPARE(w_->CharText->text(), character);
}

void ParamFieldsTest::charKeysStayInRange() {
    typeInto(w_->CharIndex, QStringLiteral("255"));
    leave(w_->CharIndex, w_->ButtonAbout);
    key(w_->CharText, Qt::Key_Up);
    QCOMPARE(w_->UpDown1->value(), 255);
    QCOMPARE(w_->CharIndex->text(), QStringLiteral("255"));
    key(w_->CharText, Qt::Key_Down, 2);
    QCOMPARE(w_->UpDown1->value(), 253);
    QCOMPARE(w_->CharIndex->text(), QStringLiteral("253"));
    QCOMPARE(w_->CharText->text(), QString(QChar(0xFD)));
    typeInto(w_->CharIndex, QStringLiteral("0"));
    QTest::keyClick(w_->CharIndex, Qt::Key_Down);
    QCOMPARE(w_->UpDown1->value(), 0);
}

void ParamFieldsTest::spinnerArrowStepsCharacter() {
    auto* up = w_->UpDown1->findChild<QWidget*>(QStringLiteral("up"));
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(w_->UpDown1->value(), 66);
    QCOMPARE(w_->CharIndex->text(), QStringLiteral("66"));
    QCOMPARE(w_->CharText->text(), QStringLiteral("B"));
    QVERIFY(w_->CharText->hasFocus());
    // With no code in the field, a press leaves the character alone and does not fail.
    w_->CharIndex->setText(QString());
    QTest::mousePress(up, Qt::LeftButton);
    QCOMPARE(w_->CharText->text(), QString(QChar(0x43)));
    QTest::mouseRelease(up, Qt::LeftButton);
}

void ParamFieldsTest::characterOutsideCodePageIsRefused() {
    w_->CharText->setFocus(Qt::TabFocusReason);
    w_->CharText->selectAll();
    w_->CharText->insert(QString(QChar(0x3A9)));  // Greek capital omega, as typed
    QCOMPARE(w_->CharIndex->text(), QStringLiteral("65"));
    QCOMPARE(w_->UpDown1->value(), 65);
    QVERIFY(w_->CharText->hasFocus());
}

void ParamFieldsTest::speedUp_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("refused");  // the focus stays in the field
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("in range") << "7" << false << 7 << "7";
    QTest::newRow("maximum") << "10" << false << 10 << "10";
    QTest::newRow("above") << "15" << true << 1 << "15";
    QTest::newRow("zero") << "0" << true << 1 << "0";
    QTest::newRow("not a number") << "x" << true << 1 << "x";
    // The key press of "," takes the 2 already typed; the spinner writes "2" back and selects
    // it, so "," replaces it and "5" follows.
    QTest::newRow("separator") << "2,5" << true << 2 << ",5";
}

void ParamFieldsTest::speedUp() {
    QFETCH(QString, typed);
    QFETCH(bool, refused);
    QFETCH(int, value);
    QFETCH(QString, shown);
    typeInto(w_->SpeedUp, typed);
    w_->ButtonAbout->setFocus(Qt::TabFocusReason);
    QCOMPARE(w_->SpeedUp->hasFocus(), refused);
    QCOMPARE(w_->UpDown4->value(), value);
    QCOMPARE(w_->SpeedUp->text(), shown);
}

void ParamFieldsTest::speedUpArrowTakesTheFocus() {
    QTest::mouseClick(w_->UpDown4->findChild<QWidget*>(QStringLiteral("up")), Qt::LeftButton);
    QTest::mouseClick(w_->UpDown4->findChild<QWidget*>(QStringLiteral("down")), Qt::LeftButton);
    QCOMPARE(w_->UpDown4->value(), 1);
    QVERIFY(w_->SpeedUp->hasFocus());
    QCOMPARE(w_->SpeedUp->selectedText(), QStringLiteral("1"));
}

void ParamFieldsTest::selectionOnFocus_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("selected");
    for (const auto& [field, text, selected] : {std::array<const char*, 3>{"CharText", "A", "A"},
                                                {"CharIndex", "65", "65"},
                                                {"AddThres", "80,00001", "80,00"},  // a long text
                                                {"BoldThres", "90,0", "90,0"},
                                                {"SpeedUp", "1", "1"}})
        QTest::newRow(field) << field << text << selected;
}

void ParamFieldsTest::selectionOnFocus() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, selected);
    auto* f = child<QLineEdit>(w_.get(), field.toLatin1().constData());
    f->setText(text);
    w_->ButtonAbout->setFocus(Qt::TabFocusReason);
    f->setFocus(Qt::MouseFocusReason);
    QCOMPARE(f->selectedText(), selected);
    QCOMPARE(f->selectionStart(), 0);
    if (field == QLatin1String("AddThres")) w_->AddThres->setText(QStringLiteral("80,0"));
}

QTEST_MAIN(ParamFieldsTest)
#include "ParamFieldsTest.moc"
