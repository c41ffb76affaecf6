#include "dialogs/FolderBrowser.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QStorageInfo>
#include <QStyle>

#include <algorithm>

namespace lettrino {

namespace {
constexpr int kFolderRole = Qt::UserRole + 1;

QString clean(const QString& path) {
    QString p = QDir::cleanPath(QDir(path).absolutePath());
    return p.isEmpty() ? QStringLiteral("/") : p;
}

bool isUnder(const QString& path, const QString& mount) {
    return mount == QLatin1String("/") || path == mount || path.startsWith(mount + QLatin1Char('/'));
}
}  // namespace

FolderBrowser::FolderBrowser(QWidget* dialog, FileFilter filter)
    : QObject(dialog), filter_(std::move(filter)) {
    drive_ = new QComboBox(dialog);
    drive_->setObjectName(QStringLiteral("Drive1"));
    dir_ = new QListWidget(dialog);
    dir_->setObjectName(QStringLiteral("Dir1"));
    file_ = new QListWidget(dialog);
    file_->setObjectName(QStringLiteral("File1"));

    path_ = clean(QDir::currentPath());
    fillDrives();
    const QString mount = mountOf(path_);
    lastFolder_[mount] = path_;
    drive_->setCurrentIndex(std::max(0, drive_->findData(mount)));
    fillFolders();
    refreshFiles();

    connect(dir_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { setPath(item->data(kFolderRole).toString()); });
    connect(drive_, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { Q_EMIT driveChanged(setDrive(drive_->itemData(index).toString())); });
    connect(file_, &QListWidget::itemClicked, this, [this] { Q_EMIT fileClicked(); });
}

QStringList FolderBrowser::mountPoints() {
    QStringList others;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady()) continue;
        const QString root = clean(volume.rootPath());
        if (root != QLatin1String("/") && !others.contains(root)) others << root;
    }
    std::sort(others.begin(), others.end());
    const QString home = clean(QDir::homePath());
    others.removeAll(home);
    QStringList mounts{QStringLiteral("/")};
    if (home != QLatin1String("/")) mounts << home;
    return mounts + others;
}

void FolderBrowser::fillDrives() {
    drive_->clear();
    for (const QString& mount : mountPoints()) drive_->addItem(mount, mount);
}

QString FolderBrowser::mountOf(const QString& path) const {
    // The deepest drive that holds the path.
    QString best = QStringLiteral("/");
    for (int i = 0; i < drive_->count(); ++i) {
        const QString mount = drive_->itemData(i).toString();
        if (isUnder(path, mount) && mount.size() > best.size()) best = mount;
    }
    return best;
}

QString FolderBrowser::drive() const {
    return drive_->currentData().toString();
}

bool FolderBrowser::setDrive(const QString& mountPoint) {
    const int index = drive_->findData(mountPoint);
    if (index >= 0) drive_->setCurrentIndex(index);
    const QString target = lastFolder_.value(mountPoint, mountPoint);
    if (setPath(target)) return true;
    // The folder last used there is gone: try the drive's top.
    return target != mountPoint && setPath(mountPoint);
}

bool FolderBrowser::setPath(const QString& path) {
    const QString target = clean(path);
    const QFileInfo info(target);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable()) return false;
    if (target == path_) return true;
    path_ = target;
    const QString mount = mountOf(path_);
    lastFolder_[mount] = path_;
    const int index = drive_->findData(mount);
    if (index >= 0) drive_->setCurrentIndex(index);
    fillFolders();
    Q_EMIT folderChanged();
    return true;
}

void FolderBrowser::fillFolders() {
    dir_->clear();
    const QIcon open = dir_->style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = dir_->style()->standardIcon(QStyle::SP_DirClosedIcon);
    // The path from the root down, each step indented one level further.
    QStringList steps;
    for (QString p = path_;; p = QFileInfo(p).path()) {
        steps.prepend(p);
        if (p == QLatin1String("/")) break;
    }
    int depth = 0;
    for (const QString& step : steps) {
        const QString name = step == QLatin1String("/") ? step : QFileInfo(step).fileName();
        auto* item = new QListWidgetItem(open, QString(depth * 2, QLatin1Char(' ')) + name, dir_);
        item->setData(kFolderRole, step);
        ++depth;
    }
    dir_->setCurrentRow(dir_->count() - 1);
    const QStringList subfolders =
        QDir(path_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& sub : subfolders) {
        auto* item = new QListWidgetItem(closed, QString(depth * 2, QLatin1Char(' ')) + sub, dir_);
        item->setData(kFolderRole, join(path_, sub));
    }
}

void FolderBrowser::refreshFiles() {
    file_->clear();
    file_->addItems(filter_(path_));
}

int FolderBrowser::fileCount() const {
    return file_->count();
}

QStringList FolderBrowser::fileNames() const {
    QStringList names;
    for (int i = 0; i < file_->count(); ++i) names << file_->item(i)->text();
    return names;
}

QString FolderBrowser::selectedFile() const {
    const QListWidgetItem* item = file_->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void FolderBrowser::selectFile(int position) {
    file_->setCurrentRow(position);
    if (QListWidgetItem* item = file_->item(position)) item->setSelected(true);
}

QString FolderBrowser::highlightedFolder() const {
    const QListWidgetItem* item = dir_->currentItem();
    return item ? item->data(kFolderRole).toString() : QString();
}

QString FolderBrowser::parentPath() const {
    return path_ == QLatin1String("/") ? path_ : clean(QFileInfo(path_).path());
}

QString FolderBrowser::join(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QStringList FolderBrowser::filesMatching(const QString& folder, const QStringList& patterns) {
    QDir dir(folder);
    dir.setNameFilters(patterns);
    dir.setFilter(QDir::Files | QDir::Readable);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    // QDir's name filters ignore case unless told otherwise.
    return dir.entryList();
}

}  // namespace lettrino
