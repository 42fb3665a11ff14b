// Runs GoogleTest inside a QCoreApplication: the tests of the layers below the user interface.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "support/TestEnvironment.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    UseProgramFolders(IsolateHome());
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
