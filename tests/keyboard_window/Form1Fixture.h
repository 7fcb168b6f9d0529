#pragma once
// A main window as the start-up window leaves it: loaded, shown (which runs
// its first activation with every default) and with the start-up messages
// taken, so a test sees only what it causes.
#include "Fakes.h"

#include "keyboard/Form1.h"
#include "shared/Shared.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dzq::test {

class Form1Test : public ::testing::Test {
protected:
    Form1Test()
    {
        AppDir = data.path() + QLatin1Char('/');
        w.Form_Load();
        w.show();
        env.take();
    }
    ~Form1Test() override { w.Timer1->setEnabled(false); }

    Environment env;
    QTemporaryDir data;
    Form1 w;
};

} // namespace dzq::test
