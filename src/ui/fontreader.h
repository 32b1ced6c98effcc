#pragma once

#include <future>
#include <thread>

#include <QString>

namespace quorrel {

// The face fontconfig chooses, for this locale, for a family name that is
// none of its faces (a generic name such as Qt's own default "Sans Serif");
// empty for a face's own name, or when fontconfig chooses none.
QString chosenFace(const QString &family);

// Reads the system's fonts on a second core while the program starts: on a
// desktop with thousands of faces it is the longest step of the start, and
// the windows' first texts wait for it.
class FontReader final {
public:
    // Fontconfig reads its configuration and caches at once, while the
    // window system connects.
    FontReader();
    // The application exists: Qt's reading begins, and the application's
    // font names the face that fontconfig chooses for it.
    void applicationStarted();
    // Until the reading is done: the application owns what was read.
    void wait();
    ~FontReader();

private:
    std::promise<void> m_fontconfigRead;
    std::promise<bool> m_started; // false: no application will come
    bool m_told = false;
    std::thread m_thread;
};

} // namespace quorrel
