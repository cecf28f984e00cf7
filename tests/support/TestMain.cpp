// Entry of every test program: the same framework start-up as the wizard's (COM and the
// common controls on the main thread), then GoogleTest.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "platform/Handles.h"

int main(int argc, char** argv) {
    qel::ComApartment com;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
