#include "keyboard/FileListBox.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>

namespace dzq {

FileListBox::FileListBox(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void FileListBox::setPath(const QString &path)
{
    path_ = path;
    refresh();
}

void FileListBox::setPattern(const QString &pattern)
{
    pattern_ = pattern;
    refresh();
}

QString FileListBox::list(int i) const
{
    const QListWidgetItem *entry = item(i);
    return entry ? entry->text() : QString();
}

void FileListBox::setListIndex(int index)
{
    if (index < -1 || index >= count())
        return;
    setCurrentRow(index);
}

void FileListBox::refresh()
{
    const QString selected = list(listIndex());
    QStringList names;
    if (!path_.isEmpty()) {
        QList<QRegularExpression> patterns;
        for (const QString &p : pattern_.split(u';', Qt::SkipEmptyParts)) {
            const QString wildcard = p.trimmed() == QStringLiteral("*.*") ? QStringLiteral("*") : p.trimmed();
            patterns << QRegularExpression(QRegularExpression::wildcardToRegularExpression(wildcard),
                                           QRegularExpression::CaseInsensitiveOption);
        }
        const QDir dir(path_);
        for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            if (std::any_of(patterns.cbegin(), patterns.cend(),
                            [&](const QRegularExpression &re) { return re.match(name).hasMatch(); }))
                names << name;
        }
    }
    // Case-insensitive order, ties broken by the exact name so the order is stable.
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    clear();
    addItems(names);
    const int again = names.indexOf(selected);
    if (!selected.isEmpty() && again >= 0)
        setCurrentRow(again);
    else
        setCurrentRow(-1);
}

} // namespace dzq
