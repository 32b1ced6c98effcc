// The mark on a time field whose text looks like a time but can never be
// the clock text, so its slot would silently never alert.

#include "mainwindow/form1.h"

#include <QAction>
#include <QLineEdit>
#include <QStyle>

#include <algorithm>

namespace quorrel {

bool neverMatchingTime(const QString &text)
{
    // Digits and colons with blanks around them, full-width forms too (NFKC
    // folds "９：０５" to "9:05"), as a Japanese input method may leave them.
    const QStringList parts = text.normalized(QString::NormalizationForm_KC).trimmed().split(u':');
    const auto isNumber = [](const QString &part) {
        return !part.isEmpty()
               && std::all_of(part.begin(), part.end(), [](QChar c) { return c.isDigit(); });
    };
    const bool looksLikeATime = (parts.size() == 2 || parts.size() == 3)
                                && std::all_of(parts.begin(), parts.end(), isNumber);
    return looksLikeATime && !clockSecond(text);
}

void Form1::addTimeWarning(int slot)
{
    QLineEdit *field = Text1[slot];
    // Put in the field, with its icon, only when it first shows: the style
    // looks the icon up in the desktop's icon theme, a search that costs a
    // fifth of the program's start, and the field makes a button for it.
    auto *mark = new QAction(field);
    mark->setObjectName(QStringLiteral("timeWarning"));
    mark->setToolTip(QStringLiteral("この書き方の時刻は時計の表示と一致しないため、知らせません。"
                                    "時は 0 を付けず、分と秒は 2 桁で「9:05:00」のように"
                                    "書いてください。"));
    const auto update = [this, field, mark] {
        const bool never = neverMatchingTime(field->text());
        if (never && !field->actions().contains(mark)) {
            mark->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
            field->addAction(mark, QLineEdit::TrailingPosition);
        }
        mark->setVisible(never);
    };
    // The text itself is left exactly as typed or loaded.
    connect(field, &QLineEdit::textChanged, mark, update);
    update();
}

} // namespace quorrel
