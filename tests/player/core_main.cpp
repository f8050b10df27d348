// Entry point for player tests that need an event loop but no display.
#include <clocale>

#include <QCoreApplication>

#include <gtest/gtest.h>

#include "MpvEngine.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    QCoreApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    MpvEngine::SetAudioOutput("null");
    return RUN_ALL_TESTS();
}
