#pragma once

#include "platform/platform.h"
#include "schedule/schedulestore.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <optional>
#include <set>
#include <tuple>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace quorrel {

class frmAbout;

// The second of the day of a time text written exactly as the clock shows it
// ("3:19:00"); nothing for "03:19:00", "3:19", " 3:19:00" or any other text.
std::optional<int> clockSecond(const QString &text);

// True for a text that looks like a time ("09:05:00", "9:05", "24:00:00",
// " 9:05:00") but is not the clock text, so it can never alert.
bool neverMatchingTime(const QString &text);

// The main window: the eleven schedule slots over the half-day picture, the
// date and time labels, and the alarm. The slot fields are the schedule; there
// is no copy of it anywhere else.
class Form1 : public QMainWindow {
    Q_OBJECT

public:
    explicit Form1(Platform platform, QWidget *parent = nullptr);
    ~Form1() override;

    // Chooses the picture and reads the schedule file; false after a fatal
    // error has been reported, and the window must not be shown.
    bool Form_Load();

    QList<Slot> schedule() const;
    void setSchedule(const QList<Slot> &records);

    // The About window, created and loaded on first use; null before.
    frmAbout *about() const;

    ScheduleStore &store() { return m_store; }

    // Un-minimised, raised and given the keyboard; on Wayland as far as the
    // activation token of the start that asks for it allows.
    void bringToFront(const QString &activationToken = {});

    // The close request of a session that ends or a signal: nobody is there to
    // answer a box, so what one would say goes to stderr.
    void closeUnattended();
    // The window system has gone and the program is about to end: the same,
    // without the window.
    void saveBeforeExit();

    // True once Form_Load has read the schedule (or found no file): only then
    // may a close write it.
    bool isLoaded() const { return m_loaded; }

    // Non-zero once a save has failed, or after a close before the load.
    int exitStatus() const { return m_exitStatus; }

    static const QUrl &homePage();

signals:
    // The close request has been served: the schedule is written (or the
    // failure reported) and the timers are stopped.
    void unloaded();

public slots:
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void Command1_Click();
    void Command2_Click();
    void menuSchedule_Click();
    void menuEnd_Click();
    void menuOnline_Click();
    void menuVersion_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void Form_QueryUnload();
    void showHalfDayPicture(const QTime &time);
    void prepareAlert();
    // Sets the clock's next tick for a moment into its next tenth of a second.
    void armClock(const QTime &now);
    void addTimeWarning(int slot);
    // Alerts the slots of `day` due after the second `after` up to `upTo`;
    // the second shown now counts from the start of that day.
    void alertDue(const QDate &day, int after, int upTo, int shownSecond);
    // In a box while the window runs, on stderr once it closes.
    void tellUser(const QString &text);
    void refuseLongInput();
    frmAbout *aboutInstance();

    Platform m_platform;
    ScheduleStore m_store;

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Picture1 = nullptr;
    QWidget *Picture3 = nullptr;
    std::array<QLabel *, 2> Picture2{};
    std::array<QLineEdit *, kSlotCount> Text1{};
    std::array<QLineEdit *, kSlotCount> Text2{};
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QTimer Timer1{this};
    QTimer Timer2{this};
    QTimer Timer3{this};

    QMenu *menuFile = nullptr;
    QAction *menuSchedule = nullptr;
    QAction *bou0 = nullptr;
    QAction *menuEnd = nullptr;
    QMenu *menuHelp = nullptr;
    QAction *menuOnline = nullptr;
    QAction *menuVersion = nullptr;

    QPointer<frmAbout> m_about;

    // The date of the date label's text.
    QDate m_dateShown;
    // The time the label last showed, and the last second the alarm judged
    // (seconds since midnight; -1 is the moment before midnight).
    QDateTime m_shownAt;
    QDate m_judgedDate;
    int m_judgedSecond = -1;
    // Around the last change of the date shown: the last second shown on the
    // day before and the first on the new day.
    int m_lastSeenBefore = -1;
    int m_firstSeenToday = 0;
    // Alerts shown as (day, slot, time text): none is shown twice on a day.
    std::set<std::tuple<QDate, int, QString>> m_alerted;
    bool m_alerting = false;
    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_refusalPending = false;
    bool m_unattended = false;
    // Texts for the user, told one box at a time.
    QStringList m_untold;
    bool m_telling = false;
    int m_exitStatus = 0;
};

} // namespace quorrel
