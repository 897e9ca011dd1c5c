#include <gtest/gtest.h>
#include <QCoreApplication>

// Tests of the layers below the window need Qt's core only.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
