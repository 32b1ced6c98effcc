#include "ui/fontreader.h"

#include <QApplication>
#include <QFontDatabase>

#include <fontconfig/fontconfig.h>

#include <memory>

namespace quorrel {

QString chosenFace(const QString &family)
{
    const std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(FcPatternCreate(),
                                                                          FcPatternDestroy);
    FcPatternAddString(pattern.get(), FC_FAMILY,
                       reinterpret_cast<const FcChar8 *>(family.toUtf8().constData()));
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    const std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> match(
        FcFontMatch(nullptr, pattern.get(), &result), FcPatternDestroy);
    FcChar8 *name = nullptr;
    QString face;
    for (int i = 0; match && FcPatternGetString(match.get(), FC_FAMILY, i, &name) == FcResultMatch;
         ++i) {
        const QString named = QString::fromUtf8(reinterpret_cast<const char *>(name));
        if (named.compare(family, Qt::CaseInsensitive) == 0)
            return {};
        if (i == 0)
            face = named; // the name Qt knows the face by
    }
    return face;
}

FontReader::FontReader()
    : m_thread([this, started = m_started.get_future()]() mutable {
          FcInit();
          m_fontconfigRead.set_value();
          if (started.get())
              QFontDatabase::families();
      })
{
}

void FontReader::applicationStarted()
{
    m_started.set_value(true);
    m_told = true;
    // Qt finds no face by a generic name: for each script the window shows
    // (Latin, kanji, hiragana, katakana) it ranks every installed face to
    // learn fontconfig's first choice, the same face each time. Named, that
    // face is drawn at once. Asked here, on this thread, while the second
    // core reads the fonts.
    m_fontconfigRead.get_future().wait();
    QFont font = QApplication::font();
    const QString face = chosenFace(font.families().value(0));
    if (!face.isEmpty()) {
        font.setFamilies({face});
        QApplication::setFont(font);
    }
}

void FontReader::wait()
{
    if (!m_told) {
        m_started.set_value(false);
        m_told = true;
    }
    if (m_thread.joinable())
        m_thread.join();
}

FontReader::~FontReader()
{
    wait();
}

} // namespace quorrel
