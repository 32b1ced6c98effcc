#include "mainwindow/form1.h"

#include "about/frmabout.h"
#include "ui/displayfont.h"
#include "ui/programicon.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QResource>
#include <QValidator>
#include <QtEndian>

namespace quorrel {

namespace {

// Initial slot texts, shown until the schedule file is read.
QString initialTime(int slot)
{
    switch (slot) {
    case 0: return QStringLiteral("3:18:45");
    case 1: return QStringLiteral("3:18:55");
    case 2: return QStringLiteral("3:19:00");
    default: return QStringLiteral("Text1");
    }
}

QString initialMessage(int slot)
{
    return slot == 0 ? QStringLiteral("表示文字") : QStringLiteral("Text2");
}

QList<Slot> initialSchedule()
{
    QList<Slot> initial;
    for (int i = 0; i < kSlotCount; ++i)
        initial.append({initialTime(i), initialMessage(i)});
    return initial;
}

QString indexed(QStringView name, int index)
{
    return name.toString() + u'(' + QString::number(index) + u')';
}

// The window's bitmaps, held where they lie in the program (stored
// uncompressed and top-down for this) rather than as decoded copies: the
// placeholder, which the load replaces before the window is first shown, is
// then never read at all, and the half-day pictures only as they are drawn.
// A bitmap of any other kind is decoded as usual.
QPixmap heldBitmap(const QString &resource)
{
    const QResource file(resource);
    const uchar *data = file.data();
    constexpr qint64 kHeaderSize = 54;
    if (file.compressionAlgorithm() == QResource::NoCompression && file.size() >= kHeaderSize
        && data[0] == 'B' && data[1] == 'M') {
        const auto field = [data](int at) { return qFromLittleEndian<qint32>(data + at); };
        const qint32 offset = field(10);
        const qint32 width = field(18);
        const qint32 height = -field(22); // negative: the rows run from the top down
        const bool plain = qFromLittleEndian<quint16>(data + 28) == 24 && field(30) == 0;
        const qsizetype stride = (qsizetype(width) * 3 + 3) & ~qsizetype(3);
        if (plain && width > 0 && height > 0 && offset + stride * height <= file.size())
            return QPixmap::fromImage(
                QImage(data + offset, width, height, stride, QImage::Format_BGR888),
                Qt::NoFormatConversion);
    }
    return QPixmap(resource);
}

// Picture boxes show their picture unscaled from the top-left corner,
// clipped, and take part in the focus order.
QLabel *makePictureBox(QWidget *parent, const QString &name, const QRect &geometry,
                       const QPixmap &picture)
{
    auto *box = new QLabel(parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    box->setFocusPolicy(Qt::StrongFocus);
    box->setPixmap(picture);
    return box;
}

// Refuses an edit that would make a text longer than the file can hold, as a
// whole: the field's own maximum length would cut it instead.
class LengthLimit final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        return input.size() > kMaxTextLength ? Invalid : Acceptable;
    }
};

} // namespace

Form1::Form1(Platform platform, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::FramelessWindowHint), m_platform(platform),
      m_store([this] { return schedule(); }, initialSchedule(), this)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quorrelver.1.0"));
    setWindowIcon(programIcon());
    buildControls();
    buildMenus();

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer2.setObjectName(QStringLiteral("Timer2"));
    Timer3.setObjectName(QStringLiteral("Timer3"));
    // None runs on a fixed interval: the clock ticks in step with its tenths
    // of a second, each tick setting the next, and its tick that shows a new
    // second starts the alarm's and the picture's.
    for (QTimer *timer : {&Timer1, &Timer2, &Timer3})
        timer->setSingleShot(true);
    Timer1.setTimerType(Qt::PreciseTimer);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(&Timer3, &QTimer::timeout, this, &Form1::Timer3_Timer);
    armClock(m_platform.clock.now().time());

    // What the user types reaches the file shortly; loading the fields does not count.
    for (int i = 0; i < kSlotCount; ++i) {
        connect(Text1[i], &QLineEdit::textEdited, &m_store, &ScheduleStore::edited);
        connect(Text2[i], &QLineEdit::textEdited, &m_store, &ScheduleStore::edited);
    }
    connect(&m_store, &ScheduleStore::changedOutside, this, &Form1::setSchedule);
    connect(&m_store, &ScheduleStore::tell, this, &Form1::tellUser);
}

void Form1::tellUser(const QString &text)
{
    // One box at a time, each text once: a box already waiting says it. None
    // comes over an alert: they wait until it is answered.
    if (!text.isEmpty() && !m_untold.contains(text))
        m_untold << text;
    while (!m_telling && !m_alerting && !m_untold.isEmpty()) {
        const QString next = m_untold.takeFirst();
        // Once the window closes nothing may wait for an answer: the close
        // must end, with the slots on disk, before the session does.
        if (m_unloaded) {
            qWarning("quorrel: %s", qUtf8Printable(next));
            continue;
        }
        m_telling = true;
        m_platform.boxes.show(this, next, BoxIcon::None);
        m_telling = false;
    }
}

Form1::~Form1()
{
    delete m_about;
}

void Form1::buildControls()
{
    const Twips &tw = m_platform.twips;
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(tw.toPixels(5205), tw.toPixels(5445));
    setCentralWidget(client);
    // No sizing border: the window keeps the size of its menu bar and client.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    Command2 = new QPushButton(QStringLiteral("予定表を書き込む"), client);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(tw.rect(1440, 120, 2295, 375));
    // A screen reader says the caption; what the button does is the description.
    Command2->setAccessibleName(Command2->text());
    Command2->setAccessibleDescription(QStringLiteral("予定表を表示または非表示にします"));
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);

    Label1 = new QLabel(QStringLiteral("Label1"), client);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(tw.rect(240, 600, 2655, 375));
    Label1->setWordWrap(true);
    // A screen reader reads the text itself, with what it is as its description.
    Label1->setAccessibleDescription(QStringLiteral("日付"));
    applyDisplayStyle(Label1);

    Label2 = new QLabel(QStringLiteral("Label2"), client);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(tw.rect(3120, 600, 2055, 375));
    Label2->setWordWrap(true);
    Label2->setAccessibleDescription(QStringLiteral("時刻"));
    applyDisplayStyle(Label2);

    Picture1 = makePictureBox(client, QStringLiteral("Picture1"), tw.rect(120, 1200, 5055, 4215),
                              heldBitmap(QStringLiteral(":/placeholder.bmp")));
    Picture1->setAccessibleName(QStringLiteral("午前・午後の絵"));

    // The schedule panel lies exactly over the picture and hides it when shown.
    auto *panel = new QWidget(Picture1);
    panel->setObjectName(QStringLiteral("Picture3"));
    panel->setGeometry(tw.rect(0, 0, 5055, 4215));
    panel->setFocusPolicy(Qt::StrongFocus);
    panel->setAutoFillBackground(true);
    panel->setAccessibleName(QStringLiteral("予定表"));
    panel->hide();
    Picture3 = panel;

    auto *limit = new LengthLimit(this);
    for (int i = 0; i < kSlotCount; ++i) {
        // Rows are numbered from 1 for the reader, as they are counted on screen.
        const QString row = QString::number(i + 1);
        Text1[i] = new QLineEdit(initialTime(i), Picture3);
        Text1[i]->setObjectName(indexed(u"Text1", i));
        Text1[i]->setGeometry(tw.rect(0, 360 * i, 1455, 375));
        Text1[i]->setAccessibleName(QStringLiteral("予定 %1 の時刻").arg(row));
        addTimeWarning(i);
        Text2[i] = new QLineEdit(initialMessage(i), Picture3);
        Text2[i]->setObjectName(indexed(u"Text2", i));
        Text2[i]->setGeometry(tw.rect(1680, 360 * i, 3255, 375));
        Text2[i]->setAccessibleName(QStringLiteral("予定 %1 のメッセージ").arg(row));
        for (QLineEdit *field : {Text1[i], Text2[i]}) {
            // Above the limit, so that Qt never cuts: the validator refuses.
            field->setMaxLength(kMaxTextLength + 1);
            field->setValidator(limit);
            connect(field, &QLineEdit::inputRejected, this, &Form1::refuseLongInput);
        }
    }

    // Holders of the two half-day pictures, below the client area.
    Picture2[0] = makePictureBox(client, indexed(u"Picture2", 0), tw.rect(1680, 6600, 615, 1335),
                                 heldBitmap(QStringLiteral(":/morning.bmp")));
    Picture2[1] = makePictureBox(client, indexed(u"Picture2", 1), tw.rect(3240, 6600, 615, 1335),
                                 heldBitmap(QStringLiteral(":/afternoon.bmp")));
    Picture2[0]->setAccessibleName(QStringLiteral("午前の絵"));
    Picture2[1]->setAccessibleName(QStringLiteral("午後の絵"));

    // Right of the client area: reached only through the focus order.
    Command1 = new QPushButton(QStringLiteral("Command1"), client);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(tw.rect(6960, 960, 2415, 855));
    Command1->setAccessibleName(QStringLiteral("今の時を表示"));
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);

    QList<QWidget *> order{Picture1, Picture2[0], Picture2[1], Picture3};
    for (int i = 0; i < kSlotCount; ++i)
        order << Text1[i] << Text2[i];
    order << Command2 << Command1;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void Form1::buildMenus()
{
    // Inside the window, so that a global menu cannot take the only way to
    // the commands away from a window without a title bar.
    menuBar()->setNativeMenuBar(false);

    menuFile = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    menuFile->setObjectName(QStringLiteral("menuFile"));
    menuSchedule = menuFile->addAction(QStringLiteral("予定表の書き込み(&S)"), this,
                                       &Form1::menuSchedule_Click);
    menuSchedule->setObjectName(QStringLiteral("menuSchedule"));
    bou0 = menuFile->addSeparator();
    bou0->setObjectName(QStringLiteral("bou0"));
    menuEnd = menuFile->addAction(QStringLiteral("終了(&E)"), this, &Form1::menuEnd_Click);
    menuEnd->setObjectName(QStringLiteral("menuEnd"));

    menuHelp = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    menuHelp->setObjectName(QStringLiteral("menuHelp"));
    menuOnline =
        menuHelp->addAction(QStringLiteral("オンラインヘルプ(&0)"), this, &Form1::menuOnline_Click);
    menuOnline->setObjectName(QStringLiteral("menuOnline"));
    menuVersion =
        menuHelp->addAction(QStringLiteral("バージョン情報(&V)"), this, &Form1::menuVersion_Click);
    menuVersion->setObjectName(QStringLiteral("menuVersion"));
}

QList<Slot> Form1::schedule() const
{
    QList<Slot> result;
    for (int i = 0; i < kSlotCount; ++i)
        result.append({Text1[i]->text(), Text2[i]->text()});
    return result;
}

void Form1::setSchedule(const QList<Slot> &records)
{
    // As a start reads it: the slots the records do not reach keep their
    // initial texts, not what they held before.
    for (int i = 0; i < kSlotCount; ++i) {
        Text1[i]->setText(i < records.size() ? records[i].time : initialTime(i));
        Text2[i]->setText(i < records.size() ? records[i].message : initialMessage(i));
    }
}

bool Form1::Form_Load()
{
    showHalfDayPicture(m_platform.clock.now().time());

    const LoadResult loaded = m_store.load();
    switch (loaded.status) {
    case LoadResult::Status::Missing:
        // First run: the initial texts stand, and the first close creates the file.
        m_loaded = true;
        return true;
    case LoadResult::Status::Loaded:
        setSchedule(loaded.records);
        m_loaded = true;
        return true;
    case LoadResult::Status::Failed: break;
    }
    // Starting with the initial texts would overwrite the user's schedule at
    // the first close, so an unreadable file stops the start.
    m_platform.fatal.report(
        QStringLiteral("予定表ファイル「%1」を読み込めません。").arg(m_store.shownPath()),
        loaded.error);
    return false;
}

void Form1::closeEvent(QCloseEvent *event)
{
    Form_QueryUnload();
    event->accept();
}

void Form1::Form_QueryUnload()
{
    // Served once: later requests (a signal during the logout, say) find the
    // schedule already written.
    if (m_unloaded)
        return;
    m_unloaded = true;
    Timer1.stop();
    Timer2.stop();
    Timer3.stop();
    m_store.stop();

    // Before the schedule was read, the fields hold only the initial texts:
    // writing them would replace a file that could not be read.
    if (!m_loaded) {
        m_exitStatus = 1;
        emit unloaded();
        return;
    }
    const QString why = m_store.save();
    if (!why.isEmpty()) {
        m_exitStatus = 1;
        QString what =
            QStringLiteral("予定表ファイル「%1」に書き込めません。").arg(m_store.shownPath());
        // Only where a previous file is still there (not in a folder that has
        // gone, say).
        if (QFileInfo(m_store.path()).isFile())
            what += QStringLiteral("前の内容は残っています。");
        if (const QString rescued = m_store.rescue(); !rescued.isEmpty())
            what += QStringLiteral("今の予定表は「%1」に書き込みました。").arg(rescued);
        // Only a user who asked for the close is there to answer a box.
        if (m_unattended)
            qWarning("quorrel: %s: %s", qUtf8Printable(what), qUtf8Printable(why));
        else
            m_platform.fatal.report(what, why);
    }
    emit unloaded();
}

void Form1::closeUnattended()
{
    m_unattended = true;
    close();
}

void Form1::saveBeforeExit()
{
    m_unattended = true;
    Form_QueryUnload();
}

void Form1::refuseLongInput()
{
    // One word per refused edit, once the field has finished with it.
    if (m_refusalPending)
        return;
    m_refusalPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refusalPending = false;
            tellUser(
                QStringLiteral("1 つの欄に入るのは %L1 文字までです。長すぎる入力は受け付けず、"
                               "欄は元のままです。")
                    .arg(kMaxTextLength));
        },
        Qt::QueuedConnection);
}

} // namespace quorrel
