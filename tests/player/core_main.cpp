// Entry point for player tests that need an event loop but no display.
#include <QCoreApplication>

#include <gtest/gtest.h>

#include "ProcessSetUp.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    QCoreApplication application(argc, argv);
    SetUpPlayerProcess();
    return RUN_ALL_TESTS();
}
