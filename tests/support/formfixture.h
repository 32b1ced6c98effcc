#pragma once

// A fresh main window for each test, on the fakes, in a folder of its own.

#include "mainwindow/form1.h"
#include "support/fakes.h"

#include <memory>

namespace quorrel::test {

class FormFixture {
protected:
    void createForm()
    {
        dir = std::make_unique<TemporaryCurrentDir>();
        fakes = std::make_unique<FakePlatform>();
        form = std::make_unique<Form1>(fakes->platform());
    }

    void destroyForm()
    {
        form.reset();
        fakes.reset();
        dir.reset();
    }

    // A control of the window by its name, such as "Text1(3)".
    template <typename T = QWidget> T *control(const QString &name) const
    {
        auto *found = form->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }

    std::unique_ptr<TemporaryCurrentDir> dir;
    std::unique_ptr<FakePlatform> fakes;
    std::unique_ptr<Form1> form;
};

} // namespace quorrel::test
