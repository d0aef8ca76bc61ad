// A tab page of the main dialog, shown on a parent of 900 x 560 and bound
// to a data object of the test's kind (a spy that counts what the page
// calls of it).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>

#include "dialog_parent.h"

namespace dialogtest {

template <class Page, class Data>
class PageTest : public ::testing::Test {
protected:
    PageTest() {
        data.Init();
        page.SetModuleData(&data);
        EXPECT_TRUE(page.Create(&host));
        page.MoveWindow(0, 0, 900, 560);
        page.ShowWindow(wl::SW_SHOW);
        host.Widget()->show();
        QApplication::processEvents();
    }

    Parent host{900, 560};
    Data data;
    Page page;
};

}  // namespace dialogtest
