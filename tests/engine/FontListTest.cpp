#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "TestFonts.h"

#include "fonts/FontList.h"
#include "render/GlyphRenderer.h"

using namespace lettrino;

TEST(FontList, FolderListsTtfAndOtfInAnyCaseSortedByName) {
    QTemporaryDir dir;
    for (const char* name : {"b.ttf", "A.TTF", "c.otf", "d.Otf", "notes.txt", "e.ttf.bak", ".hidden.ttf"}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ttf"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    QFile inner(dir.filePath("sub/z.ttf"));
    ASSERT_TRUE(inner.open(QIODevice::WriteOnly));
    EXPECT_EQ(fontFilesIn(dir.path()), (QStringList{".hidden.ttf", "A.TTF", "b.ttf", "c.otf", "d.Otf"}));
    EXPECT_EQ(fontFilesUnder(dir.path()).size(), 6);
    EXPECT_TRUE(fontFilesIn(dir.filePath("missing")).isEmpty());
}

TEST(FontList, FolderTagAndPaths) {
    EXPECT_EQ(folderTag("/"), "");
    EXPECT_EQ(folderTag("/usr/share/fonts/"), "/usr/share/fonts");
    EXPECT_EQ(folderTag("/usr/share/fonts"), "/usr/share/fonts");

    FontList root;
    root.installed = false;
    root.folder = folderTag("/");
    root.entries = {"x.ttf"};
    EXPECT_EQ(root.prefix(), "/");
    EXPECT_EQ(root.pathOf(0), "/x.ttf");
    EXPECT_EQ(root.pathOf(1), "");

    FontList installed;
    installed.entries = {"DejaVu Sans"};
    EXPECT_EQ(installed.prefix(), kInstalledMarker);
    EXPECT_EQ(installed.pathOf(0), "");
}
