#pragma once
// A list of the file names in one folder that match a pattern, as the main
// window's rhythm file list and effect file list show them: names only (no
// folder), sorted by name ignoring case, folders left out.
#include <QListWidget>
#include <QString>

namespace dzq {

class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget *parent = nullptr);

    // The folder listed; setting it re-reads the list. A trailing separator
    // is allowed. A folder that does not exist lists nothing.
    void setPath(const QString &path);
    QString path() const { return path_; }
    // Wildcard patterns separated by ";" ("*.bin", "*.wav;*.WAV"); matching
    // ignores case. "*.*" (the default) lists every file. Re-reads the list.
    void setPattern(const QString &pattern);
    QString pattern() const { return pattern_; }
    // Reads the folder again, keeping the selected name selected when it is
    // still there.
    void refresh();

    int listCount() const { return count(); }
    // Name of entry i; empty outside 0..listCount()-1.
    QString list(int i) const;
    // Selected entry, -1 for none.
    int listIndex() const { return currentRow(); }
    void setListIndex(int index);

private:
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
};

} // namespace dzq
