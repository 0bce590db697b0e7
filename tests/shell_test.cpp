#include "testkit.h"

#include "app/main1.h"
#include "app/panes.h"

#include <gtest/gtest.h>

#include <QLabel>

TEST(StartUp, FirstRunShowsTheLaunchFolderEverywhere)
{
    testkit::Sandbox box;
    auto w = testkit::window();
    const QString here = QDir::currentPath();
    EXPECT_EQ(w->Dir1->path(), here);
    EXPECT_EQ(w->File1->path(), here);
    EXPECT_EQ(w->Label1->text(), here);
}
