#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;
class QListWidget;
class QListWidgetItem;
class QWidget;

namespace lettrino {

// The drive, folder and file lists that the bitmap and font-folder dialogs share.
//
// Drives are the mounted file systems: the root first, then the user's home folder, then
// the other mounts. Each drive remembers the folder last opened on it, which is where
// choosing the drive again leads. The folder list shows the current path's folders from
// the root down, then the current folder's subfolders; a double click opens one. The file
// list shows the current folder's files that a filter accepts, sorted by name.
class FolderBrowser : public QObject {
    Q_OBJECT
public:
    using FileFilter = std::function<QStringList(const QString& folder)>;

    // Makes Drive1, Dir1 and File1 as children of the dialog, showing the process's
    // current folder. No change notification is sent for this first folder.
    FolderBrowser(QWidget* dialog, FileFilter filter);

    QComboBox* driveList() const { return drive_; }
    QListWidget* folderList() const { return dir_; }
    QListWidget* fileList() const { return file_; }

    // The folder list's path (absolute, "/" separated, no trailing "/" except the root).
    QString path() const { return path_; }
    // Opens a folder in the folder list. Sends folderChanged when the path is new. False,
    // with nothing changed, when the folder cannot be read.
    bool setPath(const QString& path);
    // Fills the file list from the folder list's path again.
    void refreshFiles();

    // The drive (mount point) shown in the drive list.
    QString drive() const;
    // Makes a drive current: opens the folder last used on it. False when it cannot be
    // read; the drive list keeps showing the chosen drive either way.
    bool setDrive(const QString& mountPoint);

    // The files listed, and the selected one's name ("" when none).
    int fileCount() const;
    QStringList fileNames() const;
    QString selectedFile() const;
    void selectFile(int position);

    // The folder that the highlighted entry of the folder list stands for ("" when none).
    QString highlightedFolder() const;
    // The parent of the current folder (the root stays where it is).
    QString parentPath() const;

    // The mounted file systems as the drive list offers them.
    static QStringList mountPoints();
    // Joins a folder and a file name with exactly one "/".
    static QString join(const QString& folder, const QString& name);
    // The files of a folder whose names match a pattern such as "*.bmp", any case, by name.
    static QStringList filesMatching(const QString& folder, const QStringList& patterns);

Q_SIGNALS:
    void folderChanged();
    void driveChanged(bool ok);
    void fileClicked();

private:
    void fillFolders();
    void fillDrives();
    QString mountOf(const QString& path) const;

    FileFilter filter_;
    QComboBox* drive_ = nullptr;
    QListWidget* dir_ = nullptr;
    QListWidget* file_ = nullptr;
    QString path_;
    QHash<QString, QString> lastFolder_;  // mount point -> folder last opened on it
};

}  // namespace lettrino
