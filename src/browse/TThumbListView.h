#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include <QListWidget>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include "browse/thumbnails/PictureListing.h"
#include "browse/thumbnails/ThumbnailCache.h"

namespace pixmoth {

class ThumbnailBatch;

// The thumbnail list: one item per picture file of a directory (JPEG, BMP and
// WMF, by name ignoring case), captioned with the file name and showing a
// 96 x 96 thumbnail. Thumbnails are made on worker threads: ListThumbItems
// returns with every item there, each showing the blank thumbnail until its
// picture is ready. Thumbnails of files whose size and modification time did
// not change since an earlier listing are taken from memory, and listing the
// same files again keeps the items as they are (selection included),
// refreshing only the changed ones. The list knows nothing of the main window:
// it is given a directory and reports the selected file.
class TThumbListView : public QListWidget {
    Q_OBJECT

public:
    explicit TThumbListView(QWidget* parent = nullptr);
    ~TThumbListView() override;

    // Shows the picture files of `dir`; a directory that does not exist or
    // cannot be read gives an empty list. A listing whose thumbnails are still
    // being made is cancelled.
    void ListThumbItems(const QString& dir);
    // The directory last given to ListThumbItems, as given.
    const QString& CurrentDir() const { return mCurrentDir; }
    void SetCurrentDir(const QString& dir) { mCurrentDir = dir; }
    // The full path of the selected item with the lowest index; "" when none is.
    QString SelectedFile() const;
    // The full path of item `index`.
    QString ItemPath(int index) const;
    void SelectAll();
    // Moves the file of every selected item to the desktop's trash, or deletes
    // it where its file system has no trash. The items stay; the caller lists
    // the directory again. Returns one line for each file that could not be
    // removed, naming it and the reason.
    QStringList DeleteSelectedFiles();
    // Removes every item; the thumbnails made stay in memory.
    void Clear();
    // QListView's, which also switches dragging off for a list whose items do
    // not move; the pictures stay draggable in every view.
    void setViewMode(ViewMode mode);

    // True until every thumbnail of the last listing is shown.
    bool ThumbnailsPending() const { return mPending > 0; }
    // Thumbnails decoded for the listings so far (not taken from memory).
    int ThumbnailsMade() const { return mMade; }

signals:
    // Every thumbnail of the last listing is shown.
    void ThumbnailsDone();

protected:
    // The selected pictures are dragged as local files (text/uri-list), to a
    // folder of the directory tree or to another program, offered for a move.
    // The list does not change by itself: whoever takes the files lists the
    // folder again.
    void startDrag(Qt::DropActions supportedActions) override;

private:
    void Rebuild();
    void StartThumbnails(const std::vector<std::size_t>& missing);
    void Deliver(unsigned generation, std::size_t index, const PictureEntry& entry,
                 const QImage& image);
    void DropFinishedBatches();

    QString mCurrentDir;
    std::vector<PictureEntry> mEntries; // the file list, one per item
    ThumbnailCache<QPixmap> mCache;
    QPixmap mBlank;
    std::unique_ptr<ThumbnailBatch> mBatch;
    // Cancelled batches whose workers finish the file they are on.
    std::vector<std::unique_ptr<ThumbnailBatch>> mRetired;
    unsigned mGeneration = 0;
    int mPending = 0;
    int mMade = 0;
};

} // namespace pixmoth
