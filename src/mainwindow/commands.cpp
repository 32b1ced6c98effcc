// The buttons and menu commands.

#include "mainwindow/form1.h"

#include "about/frmabout.h"

#include <QUrl>
#include <QWidget>

namespace quorrel {

const QUrl &Form1::homePage()
{
    static const QUrl page(QStringLiteral(QUORREL_HOME_PAGE));
    return page;
}

void Form1::Command1_Click()
{
    m_platform.boxes.show(this, QString::number(m_platform.clock.now().time().hour()),
                          BoxIcon::None);
}

void Form1::Command2_Click()
{
    Picture3->setHidden(!Picture3->isHidden());
}

void Form1::menuSchedule_Click()
{
    Command2_Click();
}

void Form1::menuEnd_Click()
{
    // The same close request as every other way out, so the schedule is
    // written exactly once.
    close();
}

frmAbout *Form1::about() const
{
    return m_about;
}

frmAbout *Form1::aboutInstance()
{
    if (!m_about) {
        m_about = new frmAbout(m_platform);
        m_about->Form_Load();
    }
    return m_about;
}

void Form1::menuOnline_Click()
{
    // The About window lends its native handle, as the browser request's owner
    // on systems that take one; a failure to open the page is not reported.
    [[maybe_unused]] const WId owner = aboutInstance()->winId();
    m_platform.urls.open(homePage());
}

void Form1::menuVersion_Click()
{
    frmAbout *about = aboutInstance();
    // A minimised About window has no task bar entry to bring it back by.
    about->setWindowState(about->windowState() & ~Qt::WindowMinimized);
    about->show();
    about->raise();
    about->activateWindow();
}

} // namespace quorrel
