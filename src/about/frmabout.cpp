#include "about/frmabout.h"

#include "platform/windowhints.h"
#include "ui/displayfont.h"
#include "ui/programicon.h"

#include <QIcon>
#include <QLabel>

namespace quorrel {

frmAbout::frmAbout(const Platform &platform)
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                           | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowCloseButtonHint)
{
    const Twips &tw = platform.twips;
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    const QIcon icon = programIcon();
    setWindowIcon(icon);
    // setGeometry places the client area, where move() would place the frame.
    setGeometry(tw.rect(2340, 1935, 5250, 2115));
    setFixedSize(size());

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(icon.pixmap(QSize(32, 32)));
    picIcon->move(tw.toPixels(240), tw.toPixels(240));
    picIcon->resize(picIcon->sizeHint()); // sizes itself to its picture

    lblTitle = new QLabel(QStringLiteral("Quorrelver1.0"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setGeometry(tw.rect(1050, 240, 3885, 480));
    lblTitle->setWordWrap(true);
    applyDisplayStyle(lblTitle);

    // Each sentence breaks after its topic, where a reader pauses, rather
    // than wherever the width runs out.
    Label1 = new QLabel(QStringLiteral("このプログラムの著作権は\n%1が保有しています。")
                            .arg(QStringLiteral(QUORREL_AUTHOR)),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(tw.rect(1050, 840, 3885, 480));
    Label1->setWordWrap(true);

    Label2 = new QLabel(QStringLiteral("このプログラムは\n自由に再配布してかまいません。"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(tw.rect(1050, 1440, 3885, 480));
    Label2->setWordWrap(true);

    excludeFromTaskbar(this);
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("Quorrelのﾊﾞｰｼﾞｮﾝ情報"));
}

} // namespace quorrel
