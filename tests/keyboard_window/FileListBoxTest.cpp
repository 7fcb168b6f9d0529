// The file lists of the main window: names of the matching files only, in
// case-insensitive order, with the selection kept across a refresh.
#include "keyboard/FileListBox.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace dzq;

namespace {

void touch(const QDir &dir, const char *name)
{
    QFile f(dir.filePath(QString::fromUtf8(name)));
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

TEST(FileListBox, ListsMatchingFilesSortedIgnoringCaseAndKeepsTheSelection)
{
    QTemporaryDir tmp;
    QDir dir(tmp.path());
    for (const char *n : {"b.bin", "A.BIN", "节奏.bin", "c.txt", "a.bin.txt"})
        touch(dir, n);
    dir.mkdir(QStringLiteral("d.bin"));

    FileListBox box;
    box.setPattern(QStringLiteral("*.bin"));
    box.setPath(tmp.path() + QStringLiteral("/"));
    EXPECT_EQ(names(box), (QStringList{QStringLiteral("A.BIN"), QStringLiteral("b.bin"), QStringLiteral("节奏.bin")}));
    EXPECT_EQ(box.listIndex(), -1);
    EXPECT_EQ(box.list(3), QString());
    EXPECT_EQ(box.list(-1), QString());
    box.setPattern(QStringLiteral("*.txt;*.BIN"));
    EXPECT_EQ(box.listCount(), 5);
    box.setPattern(QStringLiteral("*.bin"));
    box.setPath(tmp.path()); // no trailing separator
    EXPECT_EQ(box.listCount(), 3);

    // A refresh keeps the selected name, wherever it now stands.
    box.setListIndex(1);
    ASSERT_EQ(box.list(box.listIndex()), QStringLiteral("b.bin"));
    touch(dir, "0.bin");
    box.refresh();
    EXPECT_EQ(box.list(box.listIndex()), QStringLiteral("b.bin"));
    EXPECT_EQ(box.listIndex(), 2);

    dir.remove(QStringLiteral("b.bin"));
    box.refresh();
    EXPECT_EQ(box.listIndex(), -1);
    EXPECT_EQ(box.listCount(), 3);

    box.setListIndex(5); // out of range: ignored
    EXPECT_EQ(box.listIndex(), -1);

    box.setPath(tmp.path() + QStringLiteral("/missing"));
    EXPECT_EQ(box.listCount(), 0);
}
