// The parameter fields: the character ring (CharText, CharIndex, UpDown1), the add and bold
// thresholds (AddThres/UpDown2, BoldThres/UpDown3) and the speed-up factor (SpeedUp/UpDown4).
// The spinners hold the values; the fields are their editors.
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include "app/Form1.h"
#include "app/ResultsList.h"
#include "app/StatusBar.h"
#include "app/UpDown.h"
#include "match/NumberFormat.h"
#include "render/GlyphRenderer.h"
#include "session/Session.h"

namespace lettrino {

namespace {

// Selects the first n characters of a field, the caret at 0: the longest text the field
// holds, so typing replaces it.
void selectText(QLineEdit* field, int n) {
    field->setSelection(0, n);
}

// A character code typed into CharIndex: empty when the text is not a code from 0 to 255.
std::optional<int> readCode(const QString& text) {
    const auto v = numfmt::readInteger(text);
    if (!v || *v < 0 || *v > 255) return std::nullopt;
    return v;
}

bool isUpDown(int key) {
    return key == Qt::Key_Up || key == Qt::Key_Down;
}

// Focus changes that come from switching windows are not the user leaving a field.
bool leftByUser(const QEvent* event) {
    const auto reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

}  // namespace

void Form1::connectParams() {
    // The character ring.
    connect(CharText, &QLineEdit::textChanged, this, [this] {
        const int code = charCode();
        if (code < 0) {
            CharText->setFocus();
            return;
        }
        CharIndex->setText(QString::number(code));
    });
    connect(CharIndex, &QLineEdit::textChanged, this, [this] { charIndexChanged(); });
    connect(UpDown1, &UpDown::valueChanged, this, [this] { selectText(CharText, 1); });
    auto charFromIndex = [this] {
        const auto code = readCode(CharIndex->text());
        if (!code) return;  // nothing to show; the field's own handlers ask for a valid code
        CharText->setText(Character::fromByteCode(*code).text());
        CharText->setFocus();
        selectText(CharText, 1);
    };
    connect(UpDown1, &UpDown::mousePressed, this, charFromIndex);
    connect(UpDown1, &UpDown::mouseReleased, this, charFromIndex);

    // The add threshold.
    connect(UpDown2, &UpDown::mousePressed, this, [this] {
        if (const auto v = numfmt::readThreshold(AddThres->text())) UpDown2->setValue(*v);
    });
    connect(UpDown2, &UpDown::valueChanged, this, [this](int v) {
        session_.params().addThreshold = v;
        AddThres->setText(numfmt::threshold(v));
        selectText(AddThres, 5);
        if (UpDown3->value() < v) UpDown3->setValue(v);
        UpDown3->setMinimum(v);
        List1->applyAddThreshold(v);
        StatusBar1->setPanelText(3, QStringLiteral("Fonts Matched: ") + QString::number(List1->rowCount()));
    });

    // The bold threshold.
    connect(UpDown3, &UpDown::mousePressed, this, [this] {
        if (const auto v = numfmt::readThreshold(BoldThres->text())) UpDown3->setValue(*v);
    });
    connect(UpDown3, &UpDown::mouseReleased, this, [this] {
        selectText(BoldThres, 5);
        BoldThres->setFocus();
    });
    connect(UpDown3, &UpDown::valueChanged, this, [this](int v) {
        session_.params().boldThreshold = v;
        BoldThres->setText(numfmt::threshold(v));
        selectText(BoldThres, 5);
        List1->applyBoldThreshold(v);
    });

    // The speed-up factor.
    connect(UpDown4, &UpDown::valueChanged, this, [this](int v) {
        session_.params().speedup = v;
        selectText(SpeedUp, 2);
    });
    auto focusSpeedUp = [this] {
        SpeedUp->setFocus();
        selectText(SpeedUp, 2);
    };
    connect(UpDown4, &UpDown::mousePressed, this, focusSpeedUp);
    connect(UpDown4, &UpDown::mouseReleased, this, focusSpeedUp);
}

int Form1::charCode() const {
    // The field holds characters of the code page only (codes 0 to 255).
    return Character::fromText(CharText->text()).byteCode();
}

void Form1::charIndexChanged() {
    const auto code = readCode(CharIndex->text());
    if (!code) {
        CharIndex->setFocus();
        return;
    }
    CharText->setText(Character::fromByteCode(*code).text());
    UpDown1->setValue(*code);
    if (FontListIndex >= 0) DisplayFont(currentEntry(), prefixOf(FontList));
}

bool Form1::paramEvent(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (!field || (field != CharText && field != CharIndex && field != AddThres && field != BoldThres &&
                   field != SpeedUp))
        return false;
    const int selection = field == CharText ? 1 : field == CharIndex ? 3 : field == SpeedUp ? 2 : 5;

    switch (event->type()) {
        case QEvent::FocusIn:
            // Let the field take the focus first, then select, so its own handling of the
            // focus does not undo the selection.
            static_cast<QObject*>(field)->event(event);
            selectText(field, selection);
            return true;

        case QEvent::FocusOut:
            if (!leftByUser(event)) return false;
            if (field == CharIndex) {
                charIndexChanged();
            } else if (field == AddThres) {
                const auto v = numfmt::readThreshold(AddThres->text());
                if (!v || *v < UpDown2->minimum() || *v > UpDown2->maximum()) {
                    AddThres->setFocus();
                } else {
                    UpDown2->setValue(*v);
                    UpDown3->setMinimum(*v);
                    if (UpDown3->value() < *v) UpDown3->setValue(*v);
                }
            } else if (field == BoldThres) {
                const auto v = numfmt::readThreshold(BoldThres->text());
                if (!v || !UpDown3->setValue(*v)) BoldThres->setFocus();
            } else if (field == SpeedUp) {
                const auto v = numfmt::readInteger(SpeedUp->text());
                if (!v || !UpDown4->setValue(*v)) SpeedUp->setFocus();
            }
            return false;

        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (field == CharText || field == CharIndex) {
                // The spinner refuses a code outside 0 to 255.
                if (key == Qt::Key_Up) UpDown1->setValue(UpDown1->value() + 1);
                if (key == Qt::Key_Down) UpDown1->setValue(UpDown1->value() - 1);
            } else if (field == AddThres && isUpDown(key)) {
                const auto read = numfmt::readThreshold(AddThres->text());
                if (!read || !UpDown2->setValue(*read)) return false;
                const int value = UpDown2->value();
                int next;
                if (key == Qt::Key_Up) {
                    next = value < UpDown2->maximum() - 5 ? value + 5 : UpDown2->maximum();
                    if (UpDown3->value() < next) UpDown3->setValue(next);
                } else {
                    next = value > UpDown2->minimum() + 5 ? value - 5 : UpDown2->minimum();
                }
                UpDown2->setValue(next);
                UpDown3->setMinimum(UpDown2->value());
            } else if (field == BoldThres && isUpDown(key)) {
                const auto read = numfmt::readThreshold(BoldThres->text());
                if (!read || !UpDown3->setValue(*read)) return false;
                const int value = UpDown3->value();
                if (key == Qt::Key_Up)
                    UpDown3->setValue(value < UpDown3->maximum() - 5 ? value + 5 : UpDown3->maximum());
                else
                    UpDown3->setValue(value > UpDown3->minimum() + 5 ? value - 5 : UpDown3->minimum());
            } else if (field == SpeedUp) {
                const auto read = numfmt::readInteger(SpeedUp->text());
                if (!read || !UpDown4->setValue(*read)) return false;
                const int value = UpDown4->value();
                if (key == Qt::Key_Up) {
                    UpDown4->setValue(value < UpDown4->maximum() ? value + 1 : UpDown4->maximum());
                    selectText(SpeedUp, 2);
                } else if (key == Qt::Key_Down) {
                    UpDown4->setValue(value > UpDown4->minimum() ? value - 1 : UpDown4->minimum());
                    selectText(SpeedUp, 2);
                }
            }
            return false;
        }

        case QEvent::KeyRelease:
            if (isUpDown(static_cast<QKeyEvent*>(event)->key()))
                selectText(field, field == CharText ? 3 : selection);
            return false;

        default:
            return false;
    }
}

}  // namespace lettrino
