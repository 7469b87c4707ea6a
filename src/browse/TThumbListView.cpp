#include "browse/TThumbListView.h"

#include <algorithm>

#include <QDir>
#include <QDrag>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QMimeData>
#include <QStandardPaths>
#include <QUrl>

#include "browse/thumbnails/ThumbnailBatch.h"
#include "browse/thumbnails/ThumbnailDrawing.h"
#include "platform/QtPaths.h"
#include "platform/WmfPicture.h"

namespace pixmoth {

namespace {

// Enough for the thumbnails of a few large folders (27 kB each).
constexpr std::size_t kCachedThumbnails = 4000;
// Pixels between the pointer and the picture it drags.
constexpr int kDragOffset = 12;

QImage ImageOf(const Bitmap& thumb) {
    return QImage(thumb.Bits(), thumb.Width(), thumb.Height(),
                  static_cast<qsizetype>(thumb.Stride()), QImage::Format_BGR888)
        .copy();
}

// Item data: the full path (the first sub-item), and the modification time of
// the file whose thumbnail the item shows (-1: the blank one).
constexpr int kPathRole = Qt::UserRole;
constexpr int kShownRole = Qt::UserRole + 1;

} // namespace

TThumbListView::TThumbListView(QWidget* parent)
    : QListWidget(parent), mCache(kCachedThumbnails),
      mBlank(QPixmap::fromImage(ImageOf(BlankThumbnail()))) {
    setIconSize(QSize(kThumbSize, kThumbSize));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setMovement(QListView::Static);
    setDragDropMode(QAbstractItemView::DragOnly); // after the movement, which sets dragging too
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setWordWrap(true);
    setTextElideMode(Qt::ElideMiddle);
    // Room for the thumbnail and two lines of caption; narrow enough that the
    // restored panel (222 pixels) holds two columns beside its scroll bar.
    const int line = fontMetrics().lineSpacing();
    setGridSize(QSize(kThumbSize + 6, kThumbSize + 2 * line + 8));
}

TThumbListView::~TThumbListView() {
    // The workers must be gone before the list they report to.
    mBatch.reset();
    mRetired.clear();
}

void TThumbListView::ListThumbItems(const QString& dir) {
    mCurrentDir = dir;
    std::vector<PictureEntry> entries = CollectPictureFiles(ToNative(dir));
    const bool sameFiles =
        count() == static_cast<int>(mEntries.size()) &&
        std::equal(entries.begin(), entries.end(), mEntries.begin(), mEntries.end(),
                   [](const auto& a, const auto& b) { return a.path == b.path; });
    const bool unchanged =
        sameFiles && std::equal(entries.begin(), entries.end(), mEntries.begin(),
                                [](const auto& a, const auto& b) {
                                    return a.size == b.size && a.modified == b.modified;
                                });
    if (unchanged) {
        return; // the items, their thumbnails and the work on the missing ones stay
    }
    ++mGeneration;
    if (mBatch) {
        mBatch->Cancel();
        mRetired.push_back(std::move(mBatch));
    }
    DropFinishedBatches();
    mEntries = std::move(entries);
    // The workers start before the items are made, so the first thumbnails
    // are on their way while the list fills. The cached ones stay put until
    // the items are there: only this thread stores into the cache.
    std::vector<const QPixmap*> cached(mEntries.size());
    std::vector<std::size_t> missing;
    for (std::size_t i = 0; i < mEntries.size(); ++i) {
        cached[i] = mCache.Find(mEntries[i]);
        if (cached[i] == nullptr) {
            missing.push_back(i);
        }
    }
    StartThumbnails(missing);
    if (!sameFiles) {
        Rebuild();
    }
    for (std::size_t i = 0; i < mEntries.size(); ++i) {
        QListWidgetItem* it = item(static_cast<int>(i));
        // An item kept from before shows a changed file's old thumbnail.
        if (cached[i] != nullptr && it->data(kShownRole).toLongLong() != mEntries[i].modified) {
            it->setIcon(QIcon(*cached[i]));
            it->setData(kShownRole, qlonglong(mEntries[i].modified));
        }
    }
    if (missing.empty()) {
        emit ThumbnailsDone();
    }
}

void TThumbListView::Rebuild() {
    setUpdatesEnabled(false);
    clear();
    const QIcon blank(mBlank);
    for (const PictureEntry& entry : mEntries) {
        auto* it = new QListWidgetItem(blank, FromNative(entry.name));
        it->setData(kPathRole, FromNative(entry.path));
        it->setData(kShownRole, qlonglong(-1)); // the thumbnail shown: none yet
        addItem(it);
    }
    setUpdatesEnabled(true);
}

void TThumbListView::StartThumbnails(const std::vector<std::size_t>& missing) {
    mPending = static_cast<int>(missing.size());
    if (missing.empty()) {
        return;
    }
    std::vector<std::string> paths;
    std::vector<PictureEntry> entries;
    for (std::size_t i : missing) {
        paths.push_back(mEntries[i].path);
        entries.push_back(mEntries[i]);
    }
    const unsigned generation = mGeneration;
    // Runs on the workers: hands each thumbnail to the list's own thread.
    auto done = [this, generation, missing, entries](std::size_t n, Thumbnail thumbnail) {
        QImage image = ImageOf(thumbnail.image);
        QMetaObject::invokeMethod(
            this,
            [this, generation, index = missing[n], entry = entries[n], image] {
                Deliver(generation, index, entry, image);
            },
            Qt::QueuedConnection);
    };
    mBatch = std::make_unique<ThumbnailBatch>(std::move(paths), RenderWmf, std::move(done));
}

void TThumbListView::Deliver(unsigned generation, std::size_t index, const PictureEntry& entry,
                             const QImage& image) {
    const QPixmap pixmap = QPixmap::fromImage(image);
    mCache.Store(entry, pixmap);
    ++mMade;
    if (generation != mGeneration) {
        DropFinishedBatches();
        return; // a listing since: the thumbnail is kept for it, if it wants it
    }
    QListWidgetItem* it = item(static_cast<int>(index));
    if (it != nullptr && it->data(kPathRole).toString() == FromNative(entry.path)) {
        it->setIcon(QIcon(pixmap));
        it->setData(kShownRole, qlonglong(entry.modified));
    }
    if (--mPending == 0) {
        mBatch.reset();
        emit ThumbnailsDone();
    }
}

void TThumbListView::DropFinishedBatches() {
    std::erase_if(mRetired,
                  [](const std::unique_ptr<ThumbnailBatch>& batch) { return batch->Finished(); });
}

QString TThumbListView::ItemPath(int index) const {
    const QListWidgetItem* it = item(index);
    return it != nullptr ? it->data(kPathRole).toString() : QString();
}

QString TThumbListView::SelectedFile() const {
    for (int i = 0; i < count(); ++i) {
        if (item(i)->isSelected()) {
            return ItemPath(i);
        }
    }
    return QString();
}

void TThumbListView::SelectAll() {
    selectAll();
}

QStringList TThumbListView::DeleteSelectedFiles() {
    // The trash of the home file system lies in the data folder, which a new
    // account may not have yet; without it every file would be destroyed.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    QStringList failures;
    for (int i = 0; i < count(); ++i) {
        if (!item(i)->isSelected()) {
            continue;
        }
        QFile file(ItemPath(i));
        if (file.moveToTrash()) {
            continue;
        }
        // No trash on this file system (or none that can be made there).
        if (!file.remove()) {
            failures << QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
        }
    }
    return failures;
}

void TThumbListView::Clear() {
    clear();
}

void TThumbListView::setViewMode(ViewMode mode) {
    QListWidget::setViewMode(mode);
    setDragDropMode(QAbstractItemView::DragOnly);
}

// Not the item view's own drag: on a move it would take the items out of the
// list itself, behind the back of the file list they stand for.
void TThumbListView::startDrag(Qt::DropActions) {
    QList<QUrl> urls;
    QPixmap pixmap;
    for (int i = 0; i < count(); ++i) {
        if (item(i)->isSelected()) {
            urls << QUrl::fromLocalFile(ItemPath(i));
            if (pixmap.isNull()) {
                pixmap = item(i)->icon().pixmap(iconSize() / 2);
            }
        }
    }
    if (urls.isEmpty()) {
        return;
    }
    auto* data = new QMimeData;
    data->setUrls(urls);
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->setPixmap(pixmap);
    // Beside the pointer, not under it: the folder it points at stays readable.
    drag->setHotSpot(QPoint(-kDragOffset, -kDragOffset));
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}

} // namespace pixmoth
