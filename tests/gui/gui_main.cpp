// The GUI tests' entry: the common controls the dialogs use are registered
// first, as the application does at start-up.
#include <gtest/gtest.h>

#include "win/app.h"

int main(int argc, char** argv) {
    CWinApp().RegisterCommonControls();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
