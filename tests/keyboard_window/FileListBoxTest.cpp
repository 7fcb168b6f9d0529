// The file lists of the main window: names of the matching files only, in
// case-insensitive order, with the selection kept across a refresh.
#include "keyboard/FileListBox.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace dzq;

namespace {

void touch(const QDir &dir, const QString &name)
{
    QFile f(dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

QStringList names(const FileListBox &box)
{
    QStringList out;
    for (int i = 0; i < box.listCount(); ++i)
        out << box.list(i);
    return out;
}

} // namespace

TEST(FileListBox, ListsMatchingFilesSortedIgnoringCase)
{
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    for (const char *n : {"b.bin", "A.BIN", "节奏.bin", "c.txt", "a.bin.txt"})
        touch(dir, QString::fromUtf8(n));
    dir.mkdir(QStringLiteral("d.bin"));

    FileListBox box;
    box.setPattern(QStringLiteral("*.bin"));
    box.setPath(tmp.path() + QStringLiteral("/"));
    EXPECT_EQ(names(box), (QStringList{QStringLiteral("A.BIN"), QStringLiteral("b.bin"), QStringLiteral("节奏.bin")}));
    EXPECT_EQ(box.listIndex(), -1);
    EXPECT_EQ(box.list(3), QString());
    EXPECT_EQ(box.list(-1), QString());

    box.setPattern(QStringLiteral("*.*"));
    EXPECT_EQ(box.listCount(), 5);
    box.setPattern(QStringLiteral("*.txt;*.BIN"));
    EXPECT_EQ(box.listCount(), 5);
}

TEST(FileListBox, RefreshKeepsTheSelectedName)
{
    QTemporaryDir tmp;
    QDir dir(tmp.path());
    touch(dir, QStringLiteral("m.bin"));
    touch(dir, QStringLiteral("z.bin"));
    FileListBox box;
    box.setPattern(QStringLiteral("*.bin"));
    box.setPath(tmp.path());
    box.setListIndex(1);
    ASSERT_EQ(box.list(box.listIndex()), QStringLiteral("z.bin"));

    touch(dir, QStringLiteral("a.bin"));
    box.refresh();
    EXPECT_EQ(box.list(box.listIndex()), QStringLiteral("z.bin"));

    dir.remove(QStringLiteral("z.bin"));
    box.refresh();
    EXPECT_EQ(box.listIndex(), -1);
    EXPECT_EQ(box.listCount(), 2);

    box.setListIndex(5); // out of range: ignored
    EXPECT_EQ(box.listIndex(), -1);

    box.setPath(tmp.path() + QStringLiteral("/missing"));
    EXPECT_EQ(box.listCount(), 0);
}
